#pragma once
// Every table and column the desk touches, with type, size and display label. Grids, exports and the
// schema creation read them from here.
//
// Storage in SQLite: a counter is INTEGER PRIMARY KEY AUTOINCREMENT; texts, fixed texts, memos and
// date-times are TEXT (a date-time as 'yyyy-mm-dd hh:mm:ss', so it sorts and compares as text);
// integers INTEGER; floats REAL. Fixed texts are stored as given, not padded: every reader trims anyway.

#include <QString>
#include <vector>

namespace schema {

enum class Type { Counter, Text, FixedText, Memo, DateTime, Integer, Float };

struct Column {
    QString name;
    Type type = Type::Text;
    int size = 0;          // characters, for Text and FixedText
    QString label;         // display label; empty when the grid shows none
    int displayWidth = 0;  // grid width in characters; 0 for the default
    QString displayFormat; // e.g. "yyyy-mm-dd" for a date-time column

    bool isText() const { return type == Type::Text || type == Type::FixedText || type == Type::Memo; }
    // The label a grid or export shows: the label, else the column's name.
    QString title() const { return label.isEmpty() ? name : label; }
    // The display width, else the default of the column's kind: a text's size, 10 for numbers and
    // memos, 19 for a date-time.
    int width() const;
};

struct Table {
    QString name;
    std::vector<Column> columns;
    std::vector<QString> indexed;                    // columns with an index of their own
    const Column* column(const QString& name) const; // case-insensitive; nullptr when missing
};

const std::vector<Table>& tables();
const Table* table(const QString& name); // case-insensitive; nullptr when missing

// The calculated running number `No` of the record grids (the card window names it `NO`).
const Column& calculatedNo();

// The declared SQL type of a column kind, e.g. "INTEGER PRIMARY KEY AUTOINCREMENT" or "VARCHAR(8)".
QString sqlType(const Column& column);

// CREATE TABLE / CREATE INDEX statements for every table missing from the database (all of them
// IF NOT EXISTS, so running them again changes nothing).
std::vector<QString> createStatements();

} // namespace schema
