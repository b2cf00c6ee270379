#pragma once
#include "model/SourceKind.h"

#include <QString>
#include <QtGlobal>

#include <vector>

// What a form file's layout block says about the form: the form itself, its controls and its
// menus, with each control's position on the form and its drawing layer. All lengths are
// twips. Controls and menus are numbered from 1 in file order. User controls, property pages,
// user documents and designers begin with a block of the same shape; their outermost object
// stands where a form's does, and "form" below means that object too.
namespace quillon::analysis {

struct FormRecord {
    QString name; // from the first "Begin" line
    QString caption;
    qint32 clientWidth = 0;
    qint32 clientHeight = 0;
    bool hasMenuBar = false;
    qint16 controlCount = 0;
    qint16 menuCount = 0;
    qint16 layerCount = 0; // the highest layer used
    // As written after the first "Begin": "VB.Form", "VB.MDIForm", "VB.UserControl",
    // "VB.PropertyPage", "VB.UserDocument", or a designer's "{GUID}". Its initializer lets a
    // record listed without it (as in tests and benchmarks) stay free of warnings.
    QString objectType {};

    // The kind of file whose object the block describes, by objectType: Form for forms, MDI
    // forms and any type not known here (a layout built by hand has none), Designer for a
    // class identifier in braces.
    model::SourceKind objectKind() const;
};

struct ControlRecord {
    QString typeName; // as written after "Begin ", e.g. "VB.Line"
    QString name;
    qint16 index = -1; // control-array index; -1 when the block has none
    // Position inside the container and size. A line's bounding box once its block has
    // ended (Left, Top its upper-left corner, Width, Height its extent).
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
    QString caption; // "Caption", or "Text" for controls that show a text
    bool visible = true;
    bool hasSize = false; // can be drawn
    qint16 parent = -1; // number of the enclosing control; -1 directly on the form
    qint16 layer = 0; // 0 until layers are assigned, then 1 or more (0 stays: not drawn)
    qint32 absLeft = 0; // relative to the form's client area
    qint32 absTop = 0;
    // A line's end points as the file writes them, so that a drawing can keep its direction
    // (the bounding box above loses it). Zero for other controls.
    qint32 x1 = 0;
    qint32 y1 = 0;
    qint32 x2 = 0;
    qint32 y2 = 0;
};

struct MenuRecord {
    QString name;
    QString caption;
    qint16 level = 0; // 0 a menu-bar entry, 1 its items, and so on
    bool visible = true;
};

// The form, its controls and menus as read from one file. Each reading builds a fresh one.
struct FormLayout {
    FormRecord form;
    std::vector<ControlRecord> controls; // control n is Controls[n - 1]
    std::vector<MenuRecord> menus; // menu n is Menus[n - 1]

    int controlTotal() const { return int(controls.size()); }
    int menuTotal() const { return int(menus.size()); }
    bool isControl(int n) const { return n >= 1 && n <= controlTotal(); }
    bool isMenu(int n) const { return n >= 1 && n <= menuTotal(); }
    const ControlRecord& control(int n) const { return controls[size_t(n - 1)]; }
    ControlRecord& control(int n) { return controls[size_t(n - 1)]; }
    const MenuRecord& menu(int n) const { return menus[size_t(n - 1)]; }
};

// The queries the form image asks of a layout, and the two steps that finish a reading.
// Numbers that name no control or menu answer false (or 0) instead of failing.
namespace placement {

// True when control a is in the Parent chain of control b.
bool isAncestor(const FormLayout& layout, int a, int b);
// True when control i and every control in its Parent chain are Visible.
bool isEffectivelyVisible(const FormLayout& layout, int i);
// The intersection of the two controls' rectangles (at their absolute positions) as a share
// of the smaller rectangle's area; 0 when they do not overlap or the smaller one is empty.
float overlapRatio(const FormLayout& layout, int a, int b);

// absLeft and absTop of every control: its own Left and Top plus those of its containers.
// False, with the sums left unchanged, when a sum does not fit 32 bits.
bool computeAbsolutePositions(FormLayout& layout);
// Spreads the drawable controls over layers so that no two controls of one layer cover each
// other by more than half (a container and what it holds may share a layer); sets layerCount.
// Each control takes the first layer it fits, which costs a comparison with every control
// already there; false, with the layers left incomplete, when that would take more than
// kMaxLayerComparisons: many thousands of controls lying on one another, or on one layer,
// would otherwise keep the reading busy for minutes.
bool assignLayers(FormLayout& layout);
inline constexpr qint64 kMaxLayerComparisons = 32LL * 1024 * 1024;

} // namespace placement

} // namespace quillon::analysis
