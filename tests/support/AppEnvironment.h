#pragma once
#include <gtest/gtest.h>

#include <memory>

namespace quillon::test {

// The Qt application object of a test program (QCoreApplication, QGuiApplication or
// QApplication), made before the first test and removed after the last.
template <class App>
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "quillon-test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<App>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<App> app_;
};

// Registers the application object; call once per test program, at namespace scope.
template <class App>
const ::testing::Environment* useApplication()
{
    return ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<App>);
}

} // namespace quillon::test
