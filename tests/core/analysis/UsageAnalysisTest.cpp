#include "analysis/UsageAnalysis.h"

#include <gtest/gtest.h>

using namespace quillon::analysis;

namespace {

TEST(UsageAnalysis, EventSourcesAreMatchedAtAnyUnderscoreAndWithEventsOutsideStrings)
{
    const QSet<QString> sources {"FORM", "TXT_NAME", "MITEM"};
    const struct {
        const char* name;
        bool handler;
    } names[] = {{"Form_Query_Unload", true}, {"Event Handler:form_Load", true}, {"txt_Name_Change", true}, {"mItem_Changed", true}, {"Txt_Change", false},
        {"FormX_Load", false}, {"Form_", false}, {"_Form_Load", false}, {"Helper", false}};
    for (const auto& n : names)
        EXPECT_EQ(handlesEventOf(QString::fromLatin1(n.name), sources), n.handler) << n.name;
    EXPECT_EQ(withEventsNames({"Private WithEvents mItem As clsItem", "Dim WithEvents a As X, WithEvents b As Y", "s = \"WithEvents fake\" ' WithEvents gone",
                  "Dim noWithEvents As Long"}),
        QStringList({"mItem", "a", "b"}));
}

} // namespace
