#pragma once
// The grid adapter: shows chosen fields of a Dataset with their schema labels as titles, the schema's
// display formats, and edits cells through Dataset::setField. It follows the dataset's signals, so
// appends, deletions and reopenings show at once.

#include "db/Dataset.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // columns: field names in grid order; empty for every field of the dataset.
    explicit DatasetModel(Dataset* dataset, QStringList columns = {}, QObject* parent = nullptr);

    Dataset* dataset() const { return ds_; }
    const QStringList& columns() const { return columns_; }
    QString fieldName(int column) const;
    // The column showing a field; -1 when it is not shown.
    int columnOf(const QString& field) const;
    // Width in characters: the schema's display width, else the default of the column's kind.
    int displayWidth(int column) const;

    // Overrides of the schema's titles and of editability, per field.
    void setTitle(const QString& field, const QString& title);
    void setReadOnly(const QString& field, bool readOnly = true);
    bool isReadOnly(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Moves the dataset to the row (posting the row it leaves) and sets the field.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void resetFromDataset();
    void onRowAboutToBeInserted(int row);
    void onRowInserted(int row);
    void onRowAboutToBeRemoved(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    int datasetColumn(int column) const;
    const schema::Column* schemaColumn(int column) const;
    QString display(int column, const QVariant& v) const;

    Dataset* ds_;
    QStringList fixedColumns_;       // as given; empty for all
    QStringList columns_;            // as shown now
    std::vector<int> fieldIndexes_;  // dataset field of each column (-1 when the dataset lacks it)
    QHash<QString, QString> titles_; // lower-cased field -> title
    QSet<QString> readOnly_;         // lower-cased fields
    int rows_ = 0;
    int inserting_ = -1; // the row between the dataset's about-to and done signals
    int removing_ = -1;
};
