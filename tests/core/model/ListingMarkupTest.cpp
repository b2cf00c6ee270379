#include "model/ListingMarkup.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using quillon::model::decodeListingLine;
using quillon::model::encodeListingLine;
using quillon::test::picture;

namespace {

// Each stored line reads as the drawn line and is written back as it was stored.
TEST(ListingMarkupTest, EveryMarkAndConnectorReadsAndWritesBack)
{
    const std::pair<const char*, const char*> roundTrips[] = {
        {"", ""}, {"    x = 1", "    x = 1"}, {"[ZRK-B].frm Files", "¤.frm Files"}, {"[ZRK-N][ZRK-B]Project Summary", "¶¤Project Summary"},
        {"[ZRK-M][ZRK-B]   frmMain.frm (/p)", "§¤   frmMain.frm (/p)"}, {"[ZRK-N][ZRK-M][ZRK-B]", "¶§¤"}, {"[ZRK-UL]If a Then", "┌─If a Then"},
        {"  [ZRK-V]  [ZRK-T]Else", "  │   ├─Else"}, {"[ZRK-V][ZRK-X][ZRK-L]File A|Public Sub Main", "│ · └─File A|Public Sub Main"},
        {"      [ZRK-V][ZRK-V]      x = 1", "      │ │       x = 1"}, {"[ZRK-V]", "│ "},
        {"x = \"[ZRK-\" & \"[ZRK-Q]\"", "x = \"[ZRK-\" & \"[ZRK-Q]\""}, // no tag, or an unknown one: text
        {"a[ZRK-V]b", "a│ b"}, // a connector within the text
        {"x[ZRK-B]", "x[ZRK-B]"}, // a mark after the start is text
    };
    for (const auto& [stored, drawn] : roundTrips) {
        const quillon::model::ListingLine line = decodeListingLine(QString::fromUtf8(stored));
        EXPECT_EQ(picture(line), QString::fromUtf8(drawn)) << stored;
        EXPECT_EQ(encodeListingLine(line), QString::fromUtf8(stored));
    }
    // Marks in another order are written in the one order.
    EXPECT_EQ(encodeListingLine(decodeListingLine(u"[ZRK-B][ZRK-N]x")), QStringLiteral("[ZRK-N][ZRK-B]x"));
    // A connector past the text's end or over another is written where the text allows.
    quillon::model::ListingLine odd(QStringLiteral("ab"));
    odd.connectors = {{5, quillon::model::ListingMark::Tee}, {1, quillon::model::ListingMark::Gap}};
    EXPECT_EQ(encodeListingLine(odd), QStringLiteral("ab[ZRK-T][ZRK-X]"));
}

} // namespace
