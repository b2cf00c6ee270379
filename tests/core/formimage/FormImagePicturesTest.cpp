#include "formimage/FormImagePictures.h"

#include "config/Ini.h"
#include "config/Options.h"
#include "model/DiagLog.h"
#include "model/RoutineParser.h"
#include "platform/PrinterDefaults.h"
#include "platform/svg/QtSvgPageSurface.h"
#include "support/AppEnvironment.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace quillon;

namespace {

[[maybe_unused]] const ::testing::Environment* const kGui = test::useApplication<QGuiApplication>();

const QString kExamples = QStringLiteral(QUILLON_EXAMPLES);

struct Pictures {
    test::Fixture fx;
    model::DiagLog log {QString()};
    config::IniStore ini {fx.path("QLN.spi"), &log};
    platform::BuiltInPdfPrinterDefaults defaults;
    config::Options options {ini, defaults};
    platform::QtSvgPageSurface surface;
    test::ScriptedMessageBox box;

    // The texts of the pictures of the file's routine of that kind, in order; a picture XML
    // cannot read adds "error: ...".
    QStringList texts(const QString& path, model::RoutineKind kind = model::RoutineKind::Image)
    {
        model::Routine routine;
        for (const model::RoutinePtr& r : model::splitFileIntoRoutines(path))
            routine = r->kind == kind ? *r : routine;
        routine.filePath = path;
        routine.kind = kind;
        pictures = formimage::formImagePictures(routine, model::SourceReader::standard(), options, surface, &box);
        QStringList out;
        for (const QByteArray& picture : pictures) {
            QXmlStreamReader xml(picture);
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"text")
                    out << xml.readElementText();
            }
            if (xml.hasError())
                out << QStringLiteral("error: ") + xml.errorString();
        }
        return out;
    }
    std::vector<QByteArray> pictures;
};

TEST(FormImagePictures, EachControlsNameIsATextOfTheFormsPictures)
{
    const struct {
        const char* form;
        QStringList names; // and the caption
    } forms[] = {
        {"frmMain.frm", {"Inventory \u2013 Lagerbestand", "cboLocation", "lstItems", "cmdAction(0)", "cmdAction(2)", "&Reports"}},
        {"frmItem.frm",
            {"Article", "picArticle", "fraArticle", "txtName", "lblName", "txtPrice", "lblPrice", "txtQty", "lblQty", "optMain", "optOutside", "lblReorder",
                "cmdOK", "cmdCancel"}},
        {"frmSplash.frm", {"frmSplash", "lblTitle", "lblVersion", "lblCopyright", "shpLamp"}},
    };
    Pictures p;
    for (const auto& [form, names] : forms) {
        const QStringList texts = p.texts(kExamples + QStringLiteral("/inventory/") + form);
        EXPECT_TRUE(texts.filter(QRegularExpression("^error: ")).isEmpty()) << qPrintable(texts.join('\n'));
        // A name stands alone, after its number in the callouts, or before what is special about
        // it (indexOf matches whole texts).
        for (const QString& name : names) {
            const QRegularExpression shown("(\\d+ - )?" + QRegularExpression::escape(name) + "( .*)?");
            EXPECT_GE(texts.indexOf(shown), 0) << form << ": " << qPrintable(name) << " in " << qPrintable(texts.join(" | "));
        }
    }
}

TEST(FormImagePictures, MarkupInCaptionsIsTextNotMarkup)
{
    Pictures p;
    const QString form = p.fx.writeLines("frmOdd.frm",
        {"VERSION 5.00", "Begin VB.Form frmOdd", "   Caption         =   \"<img src=x onerror=alert(1)>\"", "   ClientHeight    =   3000",
            "   ClientWidth     =   6000", "   Begin VB.CommandButton cmdGo", "      Height          =   495", "      Width           =   1200", "   End",
            "   Begin VB.Menu mnuSave", "      Caption         =   \"&Save \"\"all\"\" <now>\"", "   End", "End", "Attribute VB_Name = \"frmOdd\""});
    const QStringList texts = p.texts(form);
    EXPECT_TRUE(texts.contains("<img src=x onerror=alert(1)>")) << qPrintable(texts.join(" | "));
    EXPECT_TRUE(texts.contains("&Save \"all\" <now>")) << qPrintable(texts.join(" | "));
    for (const QByteArray& picture : p.pictures)
        EXPECT_FALSE(picture.contains("<img") || picture.contains("<now")) << picture.constData();
}

TEST(FormImagePictures, NothingForADesignerAFormWithoutAreaAnUnreadableFileOrAnotherRoutine)
{
    Pictures p;
    const QString flat = p.fx.writeLines(
        "frmFlat.frm", {"VERSION 5.00", "Begin VB.Form frmFlat", "   ClientHeight = 0", "   ClientWidth = 0", "End", "Attribute VB_Name = \"frmFlat\""});
    const struct {
        QString what, path;
        model::RoutineKind kind;
        size_t messages;
    } cases[] = {
        {"designer", kExamples + "/controls/deReadings.dsr", model::RoutineKind::Image, 0},
        {"no area", flat, model::RoutineKind::Image, 0},
        {"missing file", p.fx.path("frmGone.frm"), model::RoutineKind::Image, 1},
        {"declarations", kExamples + "/inventory/frmMain.frm", model::RoutineKind::Declarations, 0},
    };
    for (const auto& c : cases) {
        p.box.shown.clear();
        p.texts(c.path, c.kind);
        EXPECT_TRUE(p.pictures.empty()) << qPrintable(c.what);
        EXPECT_EQ(p.box.shown.size(), c.messages) << qPrintable(c.what);
        // Nothing of it is left over for the next image.
        EXPECT_EQ(p.texts(kExamples + "/inventory/frmSplash.frm").count("lblTitle"), 1) << qPrintable(c.what);
    }
}

} // namespace
