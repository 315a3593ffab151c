#include "db/DatasetModel.h"

#include "db/Schema.h"

DatasetModel::DatasetModel(Dataset* dataset, QStringList columns, QObject* parent)
    : QAbstractTableModel(parent), ds_(dataset), fixedColumns_(std::move(columns)) {
    connect(ds_, &Dataset::reset, this, &DatasetModel::resetFromDataset);
    connect(ds_, &Dataset::rowAboutToBeInserted, this, &DatasetModel::onRowAboutToBeInserted);
    connect(ds_, &Dataset::rowInserted, this, &DatasetModel::onRowInserted);
    connect(ds_, &Dataset::rowAboutToBeRemoved, this, &DatasetModel::onRowAboutToBeRemoved);
    connect(ds_, &Dataset::rowRemoved, this, &DatasetModel::onRowRemoved);
    connect(ds_, &Dataset::rowChanged, this, &DatasetModel::onRowChanged);
    connect(ds_, &Dataset::stateChanged, this, [this] {
        // The running number of the current row reads 1 while it is being inserted.
        if (ds_->currentRow() >= 0) onRowChanged(ds_->currentRow());
    });
    resetFromDataset();
}

void DatasetModel::resetFromDataset() {
    beginResetModel();
    columns_ = fixedColumns_.isEmpty() ? ds_->fieldNames() : fixedColumns_;
    fieldIndexes_.clear();
    for (const QString& c : columns_)
        fieldIndexes_.push_back(ds_->fieldIndex(c));
    rows_ = ds_->recordCount();
    endResetModel();
}

void DatasetModel::onRowAboutToBeInserted(int row) {
    if (row < 0 || row > rows_ || rows_ != ds_->recordCount()) return;
    beginInsertRows({}, row, row);
    inserting_ = row;
}

void DatasetModel::onRowInserted(int row) {
    if (inserting_ < 0 || inserting_ != row) return resetFromDataset();
    inserting_ = -1;
    ++rows_;
    endInsertRows();
}

void DatasetModel::onRowAboutToBeRemoved(int row) {
    if (row < 0 || row >= rows_ || rows_ != ds_->recordCount()) return;
    beginRemoveRows({}, row, row);
    removing_ = row;
}

void DatasetModel::onRowRemoved(int row) {
    if (removing_ < 0 || removing_ != row) return resetFromDataset();
    removing_ = -1;
    --rows_;
    endRemoveRows();
}

void DatasetModel::onRowChanged(int row) {
    if (row < 0 || row >= rows_ || columns_.isEmpty()) return;
    emit dataChanged(index(row, 0), index(row, int(columns_.size()) - 1));
}

QString DatasetModel::fieldName(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column] : QString();
}

int DatasetModel::columnOf(const QString& field) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int DatasetModel::datasetColumn(int column) const {
    return column >= 0 && size_t(column) < fieldIndexes_.size() ? fieldIndexes_[size_t(column)] : -1;
}

const schema::Column* DatasetModel::schemaColumn(int column) const {
    const int f = datasetColumn(column);
    if (const schema::Column* c = ds_->column(f)) return c;
    // Fields of a closed dataset, or of a result the schema lists under its table.
    if (const schema::Table* t = schema::table(ds_->tableName()))
        if (const schema::Column* c = t->column(fieldName(column))) return c;
    if (fieldName(column).compare(schema::calculatedNo().name, Qt::CaseInsensitive) == 0)
        return &schema::calculatedNo();
    return nullptr;
}

int DatasetModel::displayWidth(int column) const {
    const schema::Column* c = schemaColumn(column);
    return c ? c->width() : 10;
}

void DatasetModel::setTitle(const QString& field, const QString& title) {
    titles_.insert(field.toLower(), title);
    const int c = columnOf(field);
    if (c >= 0) emit headerDataChanged(Qt::Horizontal, c, c);
}

void DatasetModel::setReadOnly(const QString& field, bool readOnly) {
    if (readOnly)
        readOnly_.insert(field.toLower());
    else
        readOnly_.remove(field.toLower());
}

bool DatasetModel::isReadOnly(int column) const {
    const int f = datasetColumn(column);
    if (f < 0 || ds_->isReadOnly() || ds_->isCalculated(f)) return true;
    if (const schema::Column* c = schemaColumn(column); c && c->type == schema::Type::Counter) return true;
    return readOnly_.contains(fieldName(column).toLower());
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QString DatasetModel::display(int column, const QVariant& v) const {
    if (v.isNull()) return {};
    const schema::Column* c = schemaColumn(column);
    if (c && c->type == schema::Type::DateTime) {
        const QString s = v.toString();
        // The stored form is 'yyyy-mm-dd hh:mm:ss': a date-only format shows its first ten characters.
        if (c->displayFormat == QLatin1String("yyyy-mm-dd") && s.size() >= 10) return s.left(10);
        return s;
    }
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_.size()) return {};
    const int f = datasetColumn(index.column());
    if (f < 0) return {};
    switch (role) {
    case Qt::DisplayRole:
        return display(index.column(), ds_->value(index.row(), f));
    case Qt::EditRole: {
        const QVariant v = ds_->value(index.row(), f);
        return v.isNull() ? QVariant(QString()) : v;
    }
    case Qt::TextAlignmentRole: {
        const schema::Column* c = schemaColumn(index.column());
        const bool number = c && (c->type == schema::Type::Integer || c->type == schema::Type::Float ||
                                  c->type == schema::Type::Counter);
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < rows_) return section + 1;
        return {};
    }
    if (role != Qt::DisplayRole || section < 0 || section >= columns_.size()) return {};
    const auto it = titles_.constFind(columns_[section].toLower());
    if (it != titles_.constEnd()) return it.value();
    const schema::Column* c = schemaColumn(section);
    return c ? c->title() : columns_[section];
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!isReadOnly(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rows_ || isReadOnly(index.column()))
        return false;
    if (!ds_->setRecNo(index.row() + 1)) return false;
    return ds_->setField(columns_[index.column()], value);
}
