#pragma once
// A query dataset with a static cursor: the whole result in memory, a record count and a 1-based record
// number, First/Next/Prior/Last, Append/Edit/Post/Cancel/Delete written back to the table named after
// "from" (by rowid), and hooks for before-post, before-delete, calculated fields and field changes.
// Texts longer than their column are cut to the column's size on post, so a row is never refused for a
// long name.
//
// Values as read: texts as QString, integers as qlonglong, floats as double, NULL as a null QVariant.
// A date-time column holds its stored text 'yyyy-mm-dd hh:mm:ss' (dateTime() parses it); setField
// takes a QDateTime, a QDate or a date-time text and stores that form. Fixed-width texts are stored as
// given, without padding.
//
// Only a select of `*` or of plain column names from one table can be written back; anything else
// (joins, aggregates, expressions) opens read-only. Moving the cursor off a changed row posts it, and
// off an untouched appended row cancels it, as a grid expects.

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace schema {
struct Column;
}

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QSqlDatabase db, QString sql = {}, QObject* parent = nullptr);

    // SQL text; takes effect at the next open.
    void setSql(const QString& sql);
    const QString& sql() const { return sql_; }
    void setConnection(QSqlDatabase db) { db_ = db; }

    bool open(); // false with error() set when the query fails; the dataset then stays closed
    void close();
    bool isOpen() const { return state_ != State::Inactive; }
    bool refresh() {
        close();
        return open();
    }
    State state() const { return state_; }
    const QString& error() const { return error_; }
    const QString& tableName() const { return table_; } // the table after "from", known before open
    bool isReadOnly() const { return !writable_; }      // no table to write rows back to
    bool isModified() const;                            // a field was set since edit or append

    int recordCount() const { return int(rows_.size()); } // an appended, unposted row counts
    int recNo() const;                      // 1-based; 0 when empty; for an inserted row its position
    int currentRow() const { return cur_; } // 0-based; -1 when empty or closed
    bool setRecNo(int n);
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return rows_.empty(); }
    bool isInsertRow(int row) const { return state_ == State::Insert && row == cur_; }

    // Columns of the result, in order, and the current row's values.
    const QStringList& fieldNames() const { return fields_; }
    int fieldIndex(const QString& name) const;                 // case-insensitive; -1 when missing
    int storedFieldCount() const { return storedFieldCount_; } // calculated fields follow these
    bool isCalculated(int column) const { return column >= storedFieldCount_; }
    // The schema column behind a stored field; nullptr for calculated and unknown fields.
    const schema::Column* column(int index) const;
    QVariant fieldByName(const QString& name) const;
    QString text(const QString& name) const; // fieldByName as text ("" for NULL)
    // A date-time field as a local QDateTime; invalid when empty. Building a local QDateTime costs a few
    // microseconds, so a loop over thousands of rows formats the stored text instead.
    QDateTime dateTime(const QString& name) const;
    // Value at (row 0-based, column) without moving the cursor; calculated fields included.
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString& name) const;

    // Editing. setField on a browsed row puts the dataset into Edit first (on an empty one, Insert).
    bool append();
    bool edit();
    bool setField(const QString& name, const QVariant& v);
    bool post(); // false with error() set when the database refuses; error() empty when a hook said no
    void cancel();
    bool remove(); // Delete; false when the before-delete hook said no or the database refused
    // Deletes every row the dataset holds from the table in one transaction, without asking the
    // before-delete hook (the caller has asked already).
    bool removeAll();

    // Sorts the rows in memory by one field (the grid's click on a column title); keeps the current row.
    bool sortBy(const QString& name, bool ascending = true);

    // Hooks. A before-hook returning false aborts the operation silently.
    std::function<bool(Dataset&)> beforePost;
    std::function<bool(Dataset&)> beforeDelete;
    std::function<void(Dataset&, const QString& field)> onFieldChange;
    // Calculated fields: names added to the result, values computed per row from (dataset, row 0-based).
    void addCalculatedField(const QString& name, std::function<QVariant(const Dataset&, int row)> calc);
    // The running number: the row's 1-based position, 1 for a row being inserted.
    void addRecordNumberField(const QString& name = QStringLiteral("No"));

    // While disabled, no change signals are sent to views (bulk work); enabling sends reset().
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

signals:
    void reset();             // opened, closed or rows changed wholesale
    void rowChanged(int row); // one row's values changed (post, edit)
    void rowAboutToBeInserted(int row);
    void rowInserted(int row); // sent after the row is in place
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);     // sent after the row is gone
    void currentChanged(int row); // the cursor moved
    void stateChanged();

private:
    struct Row {
        qint64 rowid = -1;
        std::vector<QVariant> values;
    };
    bool checkBrowseMode();
    bool fail(const QString& why);
    bool convert(int index, const QVariant& in, QVariant* out);
    QVariant forStorage(int index, const QVariant& v) const;
    bool reread(Row& row);
    void setState(State s);
    void moveTo(int row);
    void rebuildFieldNames();

    QSqlDatabase db_;
    QString sql_;
    QString table_;
    QString error_;
    bool writable_ = false;
    QStringList fields_;
    QStringList storedFields_;
    QHash<QString, int> exactIndex_;
    std::vector<const schema::Column*> columns_;
    int storedFieldCount_ = 0;
    std::vector<Row> rows_;
    std::vector<std::pair<QString, std::function<QVariant(const Dataset&, int)>>> calcs_;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    State state_ = State::Inactive;
    Row backup_; // the row as it was before edit
    std::vector<bool> modified_;
    int beforeAppend_ = -1; // the current row when append was called
    int disabled_ = 0;
};
