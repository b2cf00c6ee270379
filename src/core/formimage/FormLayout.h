#pragma once
#include <QString>
#include <QtGlobal>

#include <vector>

// What a form file's layout block says about the form: the form itself, its controls and its
// menus, with each control's position on the form and its drawing layer. All lengths are
// twips. Controls and menus are numbered from 1 in file order.
namespace quillon::formimage {

struct FormRecord {
    QString Name;    // from the first "Begin" line
    QString Caption;
    qint32 ClientWidth = 0;
    qint32 ClientHeight = 0;
    bool HasMenuBar = false;
    qint16 ControlCount = 0;
    qint16 MenuCount = 0;
    qint16 LayerCount = 0; // the highest layer used
};

struct ControlRecord {
    QString TypeName; // as written after "Begin ", e.g. "VB.Line"
    QString Name;
    qint16 Index = -1; // control-array index; -1 when the block has none
    // Position inside the container and size. A line's bounding box once its block has
    // ended (Left, Top its upper-left corner, Width, Height its extent).
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    QString Caption; // "Caption", or "Text" for controls that show a text
    bool Visible = true;
    bool HasSize = false; // can be drawn
    qint16 Parent = -1;   // number of the enclosing control; -1 directly on the form
    qint16 Layer = 0;     // 0 until layers are assigned, then 1 or more (0 stays: not drawn)
    qint32 AbsLeft = 0;   // relative to the form's client area
    qint32 AbsTop = 0;
    // A line's end points as the file writes them, so that a drawing can keep its direction
    // (the bounding box above loses it). Zero for other controls.
    qint32 X1 = 0;
    qint32 Y1 = 0;
    qint32 X2 = 0;
    qint32 Y2 = 0;
};

struct MenuRecord {
    QString Name;
    QString Caption;
    qint16 Level = 0; // 0 a menu-bar entry, 1 its items, and so on
    bool Visible = true;
};

// The form, its controls and menus as read from one file. Each reading builds a fresh one.
struct FormLayout {
    FormRecord Form;
    std::vector<ControlRecord> Controls; // control n is Controls[n - 1]
    std::vector<MenuRecord> Menus;       // menu n is Menus[n - 1]

    int ControlTotal() const { return int(Controls.size()); }
    int MenuTotal() const { return int(Menus.size()); }
    bool IsControl(int n) const { return n >= 1 && n <= ControlTotal(); }
    bool IsMenu(int n) const { return n >= 1 && n <= MenuTotal(); }
    const ControlRecord& Control(int n) const { return Controls[size_t(n - 1)]; }
    ControlRecord& Control(int n) { return Controls[size_t(n - 1)]; }
    const MenuRecord& Menu(int n) const { return Menus[size_t(n - 1)]; }
};

// The queries the form image asks of a layout, and the two steps that finish a reading.
// Numbers that name no control or menu answer false (or 0) instead of failing.
namespace placement {

// True when control a is in the Parent chain of control b.
bool IsAncestor(const FormLayout& layout, int a, int b);
// True when control i and every control in its Parent chain are Visible.
bool IsEffectivelyVisible(const FormLayout& layout, int i);
// The intersection of the two controls' rectangles (at their absolute positions) as a share
// of the smaller rectangle's area; 0 when they do not overlap or the smaller one is empty.
float OverlapRatio(const FormLayout& layout, int a, int b);
// True when, scanning the menus after m, one of exactly `level` comes before any of a
// lower level.
bool MenuHasSubItems(const FormLayout& layout, int m, int level);

// AbsLeft and AbsTop of every control: its own Left and Top plus those of its containers.
// False, with the sums left unchanged, when a sum does not fit 32 bits.
bool ComputeAbsolutePositions(FormLayout& layout);
// Spreads the drawable controls over layers so that no two controls of one layer cover each
// other by more than half (a container and what it holds may share a layer); sets LayerCount.
// Each control takes the first layer it fits, which costs a comparison with every control
// already there; false, with the layers left incomplete, when that would take more than
// kMaxLayerComparisons: many thousands of controls lying on one another, or on one layer,
// would otherwise keep the reading busy for minutes.
bool AssignLayers(FormLayout& layout);
inline constexpr qint64 kMaxLayerComparisons = 32LL * 1024 * 1024;

} // namespace placement

} // namespace quillon::formimage
