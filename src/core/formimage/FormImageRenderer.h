#pragma once
#include "analysis/FormLayout.h"

#include <QString>
#include <QtGlobal>

#include <array>

namespace quillon::model {
struct Routine;
class SourceReader;
} // namespace quillon::model
namespace quillon::platform {
class IMessageBox;
}
namespace quillon::config {
class PrintDevice;
}
namespace quillon::print {
class PageFrame;
}

namespace quillon::formimage {

// The records the drawing works from, as the form layout reader leaves them.
using analysis::ControlRecord;
using analysis::FormLayout;
using analysis::FormRecord;
using analysis::MenuRecord;
namespace placement = analysis::placement;

// Where a form's picture goes in a print box: the form (title bar, menu bar and client area)
// scaled as large as the box allows, centred across it and at its top. Lengths are twips;
// page positions are relative to the print box's top-left corner. A property page has a title
// bar and no menu bar, a user control and a user document neither; a designer has no picture.
struct FormPlacement {
    bool valid = false; // false: nothing to draw (no area, a designer) or no box to draw in
    double captionHeight = 0; // the bars above the client area, those the object has (form twips)
    double formHeight = 0; // caption height + client height (form twips)
    double scale = 0;
    double x0 = 0; // the form's top-left corner on the page
    double y0 = 0;

    double pageX(double formX) const { return scale * formX + x0; }
    double pageY(double clientY) const { return scale * (captionHeight + clientY) + y0; }
};

FormPlacement placeForm(const FormRecord& form, double printableWidth, double printableHeight);
// The same for a whole layout: when drawable controls reach beyond the client area the scale
// takes them in as well (controls at negative positions excepted).
FormPlacement placeForm(const FormLayout& layout, double printableWidth, double printableHeight);

// Prints the picture of a form: one page per layer with the form's frame, its controls and
// their names, a callouts page after each layer whose names did not all fit, and the menu
// tree. The page frame gives every page its heading and footer; the caller resets the frame's
// page number and estimate before, as for any routine, and afterwards adds the blank back page
// of a duplex run when the image ended on a front side.
class FormImageRenderer {
public:
    // colours: the ten highlight colours; menu names print in the "Procedure Names" one.
    FormImageRenderer(config::PrintDevice& printer, print::PageFrame& frame, const std::array<quint32, 10>& colours);

    // filePath names the form file; its name heads the pages. True when pages were printed:
    // a form without a layer, without area or without a print box prints nothing, nor does a
    // designer.
    bool printFormImage(const FormLayout& layout, const QString& filePath);
    // Reads the routine's form file first; a file that cannot be read prints nothing (the
    // reading has told the user why through messages).
    bool printFormImage(
        const model::Routine& routine, const model::SourceReader& reader, platform::IMessageBox* messages);

    // The pages printFormImage prints for the same layout and page set-up (without the blank
    // back page of a duplex run), worked out without drawing; 0 when it prints none.
    int estimateFormImagePages(const FormLayout& layout);
    // Reads the routine's form file silently: a file that cannot be read gives 0.
    int estimateFormImagePages(const model::Routine& routine, const model::SourceReader& reader);

private:
    class Orientation;
    class LayerPlanner;
    struct LayerPlan;

    int calloutPages(const LayerPlan& plan) const;
    int menuTreePages(const FormLayout& layout) const;
    // Ends the page before (its footer) and starts the next under heading.
    void beginPage(const QString& heading);
    void drawLayer(const LayerPlan& plan);
    void printCallouts(const LayerPlan& plan, const QString& heading);
    void printMenuTree(const FormLayout& layout, const QString& heading);
    // At (x, y) of the print box, in the current text colour.
    void printAt(double x, double y, const QString& text, double points, bool bold, bool italic);
    void restoreDrawingState();

    config::PrintDevice& printer_;
    print::PageFrame& frame_;
    std::array<quint32, 10> colours_;
    bool pageOpen_ = false;
};

} // namespace quillon::formimage
