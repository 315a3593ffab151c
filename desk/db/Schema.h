#pragma once
// Every table and column the desk touches, with type, size and display label. Grids, exports and the
// schema creation read them from here.

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
};

struct Table {
    QString name;
    std::vector<Column> columns;
    const Column* column(const QString& name) const; // case-insensitive; nullptr when missing
};

const std::vector<Table>& tables();
const Table* table(const QString& name); // case-insensitive; nullptr when missing

// CREATE TABLE / CREATE INDEX statements for every table missing from the database.
std::vector<QString> createStatements();

} // namespace schema
