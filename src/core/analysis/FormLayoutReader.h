#pragma once
#include "analysis/FormLayout.h"
#include "model/Outcome.h"

#include <QString>
#include <QStringList>

namespace quillon::model {
class SourceReader;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::analysis {

// Reads the layout block at the top of a form file, or of a user control, property page, user
// document or designer (nested "Begin" ... "End" blocks of property lines, up to the first
// "Attribute " line) into a FormLayout, with absolute positions and layers computed. One
// reader can read many files; each reading replaces the previous result.
class FormLayoutReader {
public:
    // The reader and the message box are borrowed; without a message box nothing is shown
    // (the failure still tells what would have been).
    FormLayoutReader(const model::SourceReader& reader, platform::IMessageBox* messages);

    // Done when a layout block was read. On a failure Layout() is empty and the message box
    // has shown the failure's text, titled kMessageTitle.
    model::Outcome<void> readFormLayout(const QString& path);
    // The same reading over a file's lines already in memory; path only names the file in
    // the messages.
    model::Outcome<void> readFormLayoutLines(const QString& path, const QStringList& lines);

    const FormLayout& layout() const { return layout_; }
    // Objects still open when the file ended (a truncated file); their blocks never ended, so
    // they are not drawn. 0 after a complete reading.
    int unclosedObjects() const { return unclosed_; }
    // The file holds NUL bytes: most likely not a form file at all.
    bool looksBinary() const { return looksBinary_; }

    static inline const QString kMessageTitle = QStringLiteral("Form Image");
    // Objects nest at most this deep, the form included.
    static constexpr int kMaxNesting = 63;
    // Control and menu numbers are 16-bit.
    static constexpr int kMaxObjects = 32767;

private:
    model::Failure fail(const QString& text);
    model::Failure failReading(const QString& path, const QString& reason);

    const model::SourceReader& reader_;
    platform::IMessageBox* messages_;
    FormLayout layout_;
    int unclosed_ = 0;
    bool looksBinary_ = false;
};

} // namespace quillon::analysis
