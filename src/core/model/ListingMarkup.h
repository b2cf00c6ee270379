#pragma once
#include "model/ListingLine.h"

#include <QString>
#include <QStringView>

// Listing lines as text: each mark and connector as a bracketed tag (their one table is in
// ListingMarkup.cpp), the layout marks first, each connector's tag in place of its two blanks.
// This is the form the text dumps (brackets, report, toc --text) and the listing files hold.
// The form has no escape: a text that itself holds a tag reads back as markup.
namespace quillon::model {

QString encodeListingLine(const ListingLine& line);

// Reads the layout marks at the start of the text (in any order) and the connector tags
// anywhere after them; every other character, an unknown tag's included, is text.
ListingLine decodeListingLine(QStringView text);

} // namespace quillon::model
