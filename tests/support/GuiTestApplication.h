#pragma once
#include <gtest/gtest.h>

#include <memory>

namespace quillon::test {

// The application object a GUI-level test program needs (QGuiApplication for fonts and
// printers, QApplication for widgets), made once for the whole program:
//   const auto* env = ::testing::AddGlobalTestEnvironment(new GuiTestApplication<QApplication>);
template <class Application>
class GuiTestApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "quillon-test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<Application> app_;
};

} // namespace quillon::test
