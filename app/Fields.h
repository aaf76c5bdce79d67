// The fields of a value line, and the one that holds its value.
//
// Without a separator, fields are separated by blanks (runs of spaces and
// tabs), as the text input library splits them. With a separator byte (a
// comma, a semicolon, a tab, ...), every separator ends a field, blanks around
// a field are not part of it, and a field may be quoted as CSV files quote
// them (RFC 4180): "3.6", "a ""b""", a separator inside the quotes. A quote
// that is not closed runs to the end of the text; the data file's reader
// tells by QuoteOpen that such a line goes on on the next line, and hands the
// lines over joined by a line feed, which the field then holds.
#ifndef DESCSTAT_FIELDS_H
#define DESCSTAT_FIELDS_H

#include <string>
#include <vector>

namespace descstat {

// The field with index `index` (0 is the first) of the line, unquoted, in
// `field`; false when the line has no such field.
bool NthField(const std::string& line, char separator, int index, std::string& field);

// True when a quoted field of the line (fields separated by `separator`,
// never '\0') has no closing quote: in a CSV file its text goes on on the
// next line.
bool QuoteOpen(const std::string& line, char separator);

// Every field of the line, unquoted: a header line's names.
std::vector<std::string> AllFields(const std::string& line, char separator);

}  // namespace descstat

#endif  // DESCSTAT_FIELDS_H
