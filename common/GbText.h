#pragma once
// Texts laid out in bytes of the Chinese code page (CP936): widths, right alignment and cuts count a
// Chinese character as two bytes. In memory the texts stay QString.

#include <QByteArray>
#include <QString>

namespace gb {

// CP936 bytes of a text; characters the code page lacks become '?'.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// Bytes the text takes in CP936.
int width(const QString& text);

// The first n bytes of the text. A cut through a two-byte character drops that half and puts a blank
// in its place, so the result is exactly n bytes wide when the text was at least that wide.
QString cut(const QString& text, int n);

// Cut to n bytes, then blanks on the left up to n bytes.
QString rightAlign(const QString& text, int n);

// Cut to n bytes, then blanks on the right up to n bytes.
QString leftAlign(const QString& text, int n);

// Bytes from..to (1-based, inclusive) of the text, as a text; a half character at either end becomes a
// blank.
QString bytesMid(const QString& text, int from, int to);

} // namespace gb
