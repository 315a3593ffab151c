#include "db/Dataset.h"

#include "db/Schema.h"
#include "db/Sql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <numeric>

namespace {

const QString kRowidAlias = QStringLiteral("__oravik_rowid");

struct Token {
    enum Kind { Word, Quoted, Punct, Other } kind;
    qsizetype pos;
    qsizetype len;
    int depth; // parenthesis depth at the token
    QString text;
};

// Splits a statement into words, quoted names, literals and punctuation; comments are dropped.
std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const qsizetype e = s.indexOf(QStringLiteral("*/"), i + 2);
            i = e < 0 ? n : e + 2;
        } else if (c == QLatin1Char('\'')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (s[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && s[j + 1] == QLatin1Char('\''))
                        j += 2;
                    else
                        break;
                } else {
                    ++j;
                }
            }
            out.push_back({Token::Other, i, j + 1 - i, depth, {}});
            i = j + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            qsizetype j = s.indexOf(close, i + 1);
            if (j < 0) j = n - 1;
            out.push_back({Token::Quoted, i, j + 1 - i, depth, s.mid(i + 1, j - i - 1)});
            i = j + 1;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_') || s[j] == QLatin1Char('$')))
                ++j;
            out.push_back({Token::Word, i, j - i, depth, s.mid(i, j - i)});
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('.')))
                ++j;
            out.push_back({Token::Other, i, j - i, depth, {}});
            i = j;
        } else {
            if (c == QLatin1Char(')')) --depth;
            out.push_back({Token::Punct, i, 1, depth, QString(c)});
            if (c == QLatin1Char('(')) ++depth;
            ++i;
        }
    }
    return out;
}

bool isWord(const Token& t, const char* w) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}
bool isPunct(const Token& t, char c) {
    return t.kind == Token::Punct && t.text == QLatin1Char(c);
}
bool isName(const Token& t) {
    return t.kind == Token::Word || t.kind == Token::Quoted;
}

bool isClauseWord(const Token& t) {
    static const char* const words[] = {"where", "order",   "group",     "limit",   "join",   "inner",
                                        "left",  "right",   "cross",     "natural", "full",   "outer",
                                        "union", "except",  "intersect", "having",  "window", "on",
                                        "using", "indexed", "not"};
    for (const char* w : words)
        if (isWord(t, w)) return true;
    return false;
}

struct Analysis {
    QString table;     // the table after "from"; empty when none is found
    QString rewritten; // the statement with the rowid in front; empty when rows cannot be written back
};

// Finds the table of a single-table select and rewrites it to fetch each row's rowid first.
Analysis analyse(const QString& sql) {
    Analysis a;
    const std::vector<Token> t = tokenize(sql);
    if (t.empty() || !isWord(t[0], "select")) return a;
    size_t from = 0;
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i].depth == 0 && isWord(t[i], "from")) {
            from = i;
            break;
        }
    if (from == 0 || from + 1 >= t.size() || !isName(t[from + 1])) return a;
    a.table = t[from + 1].text;

    size_t k = from + 2;
    QString qualifier = a.table;
    if (k < t.size() && isWord(t[k], "as") && k + 1 < t.size() && isName(t[k + 1])) {
        qualifier = t[k + 1].text;
        k += 2;
    } else if (k < t.size() && isName(t[k]) && !isClauseWord(t[k])) {
        qualifier = t[k].text;
        ++k;
    }
    if (k < t.size() &&
        !(isWord(t[k], "where") || isWord(t[k], "order") || isWord(t[k], "limit") || isPunct(t[k], ';')))
        return a;
    for (size_t i = k; i < t.size(); ++i)
        if (t[i].depth == 0 && (isWord(t[i], "union") || isWord(t[i], "except") ||
                                isWord(t[i], "intersect") || isWord(t[i], "group") || isWord(t[i], "having")))
            return a;

    // The select list: * or plain column names, each optionally qualified by the table.
    size_t i = 1;
    if (isWord(t[i], "distinct") || isWord(t[i], "all")) return a;
    const auto sameName = [&](const Token& tok) {
        return tok.text.compare(qualifier, Qt::CaseInsensitive) == 0 ||
               tok.text.compare(a.table, Qt::CaseInsensitive) == 0;
    };
    while (i < from) {
        if (isPunct(t[i], '*')) {
            ++i;
        } else if (isName(t[i]) && i + 2 < from && isPunct(t[i + 1], '.') &&
                   (isName(t[i + 2]) || isPunct(t[i + 2], '*'))) {
            if (!sameName(t[i])) return a;
            i += 3;
        } else if (isName(t[i])) {
            ++i;
        } else {
            return a;
        }
        if (i < from) {
            if (!isPunct(t[i], ',')) return a;
            ++i;
            if (i == from) return a;
        }
    }
    const qsizetype at = t[0].pos + t[0].len;
    a.rewritten =
        sql.left(at) + QStringLiteral(" \"%1\".rowid AS %2,").arg(qualifier, kRowidAlias) + sql.mid(at);
    return a;
}

QString quoteName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// Cuts a text to `size` characters without splitting a surrogate pair.
QString cutText(const QString& s, int size) {
    if (size <= 0 || s.size() <= size) return s;
    qsizetype n = size;
    if (s[n - 1].isHighSurrogate()) --n;
    return s.left(n);
}

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

Dataset::Dataset(QSqlDatabase db, QString sql, QObject* parent) : QObject(parent), db_(std::move(db)) {
    setSql(sql);
}

void Dataset::setSql(const QString& sql) {
    sql_ = sql;
    if (!isOpen()) table_ = analyse(sql_).table;
}

bool Dataset::fail(const QString& why) {
    error_ = why;
    return false;
}

void Dataset::setState(State s) {
    if (state_ == s) return;
    state_ = s;
    if (!disabled_) emit stateChanged();
}

void Dataset::moveTo(int row) {
    cur_ = row;
    if (!disabled_) emit currentChanged(cur_);
}

void Dataset::rebuildFieldNames() {
    fields_ = storedFields_;
    for (const auto& c : calcs_)
        fields_ << c.first;
    exactIndex_.clear();
    for (int i = int(fields_.size()) - 1; i >= 0; --i)
        exactIndex_.insert(fields_[i], i);
}

bool Dataset::open() {
    if (isOpen()) close();
    error_.clear();
    if (!db_.isOpen()) return fail(QStringLiteral("the database connection is not open"));

    const Analysis a = analyse(sql_);
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    bool withRowid = !a.rewritten.isEmpty();
    if (withRowid && !q.exec(a.rewritten)) // e.g. a view, which has no rowid: read-only then
        withRowid = false;
    if (!withRowid) {
        q = QSqlQuery(db_);
        q.setForwardOnly(true);
        if (!q.exec(sql_)) return fail(q.lastError().text());
    }
    if (!q.isSelect()) return fail(QStringLiteral("the statement returns no rows"));

    const QSqlRecord rec = q.record();
    const int first = withRowid ? 1 : 0;
    const int n = int(rec.count()) - first;
    storedFields_.clear();
    for (int i = 0; i < n; ++i)
        storedFields_ << rec.fieldName(i + first);

    std::vector<Row> rows;
    rows.reserve(1024);
    while (q.next()) {
        Row r;
        if (withRowid) r.rowid = q.value(0).toLongLong();
        r.values.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            r.values.push_back(q.value(i + first));
        rows.push_back(std::move(r));
    }
    if (q.lastError().isValid()) {
        storedFields_.clear();
        return fail(q.lastError().text());
    }

    table_ = a.table;
    writable_ = withRowid;
    const schema::Table* st = schema::table(table_);
    columns_.assign(size_t(n), nullptr);
    if (st)
        for (int i = 0; i < n; ++i)
            columns_[size_t(i)] = st->column(storedFields_[i]);
    storedFieldCount_ = n;
    rebuildFieldNames();
    rows_ = std::move(rows);
    modified_.assign(size_t(n), false);
    cur_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    state_ = State::Browse;
    if (!disabled_) {
        emit reset();
        emit stateChanged();
        emit currentChanged(cur_);
    }
    return true;
}

void Dataset::close() {
    if (state_ == State::Inactive) return;
    rows_.clear();
    rows_.shrink_to_fit();
    storedFields_.clear();
    fields_.clear();
    exactIndex_.clear();
    columns_.clear();
    storedFieldCount_ = 0;
    cur_ = -1;
    bof_ = eof_ = true;
    writable_ = false;
    state_ = State::Inactive;
    if (!disabled_) {
        emit reset();
        emit stateChanged();
        emit currentChanged(cur_);
    }
}

bool Dataset::isModified() const {
    return (state_ == State::Edit || state_ == State::Insert) &&
           std::find(modified_.begin(), modified_.end(), true) != modified_.end();
}

int Dataset::recNo() const {
    return cur_ < 0 ? 0 : cur_ + 1;
}

bool Dataset::checkBrowseMode() {
    if (state_ != State::Edit && state_ != State::Insert) return true;
    if (isModified()) return post();
    cancel();
    return true;
}

bool Dataset::setRecNo(int n) {
    if (!isOpen() || n < 1 || n > recordCount()) return false;
    if (n - 1 == cur_) return true;
    if (!checkBrowseMode() || n > recordCount()) return false;
    bof_ = eof_ = false;
    moveTo(n - 1);
    return true;
}

void Dataset::first() {
    if (!isOpen() || !checkBrowseMode()) return;
    bof_ = true;
    eof_ = rows_.empty();
    moveTo(rows_.empty() ? -1 : 0);
}

void Dataset::last() {
    if (!isOpen() || !checkBrowseMode()) return;
    eof_ = true;
    bof_ = rows_.empty();
    moveTo(int(rows_.size()) - 1);
}

void Dataset::next() {
    if (!isOpen() || !checkBrowseMode()) return;
    if (cur_ + 1 < recordCount()) {
        bof_ = eof_ = false;
        moveTo(cur_ + 1);
    } else {
        eof_ = true;
    }
}

void Dataset::prior() {
    if (!isOpen() || !checkBrowseMode()) return;
    if (cur_ > 0) {
        bof_ = eof_ = false;
        moveTo(cur_ - 1);
    } else {
        bof_ = true;
    }
}

int Dataset::fieldIndex(const QString& name) const {
    const auto it = exactIndex_.constFind(name);
    if (it != exactIndex_.constEnd()) return it.value();
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

const schema::Column* Dataset::column(int index) const {
    return index >= 0 && index < storedFieldCount_ ? columns_[size_t(index)] : nullptr;
}

QVariant Dataset::value(int row, int column) const {
    if (row < 0 || row >= recordCount() || column < 0 || column >= fields_.size()) return {};
    if (column < storedFieldCount_) return rows_[size_t(row)].values[size_t(column)];
    return calcs_[size_t(column - storedFieldCount_)].second(*this, row);
}

QVariant Dataset::value(int row, const QString& name) const {
    return value(row, fieldIndex(name));
}

QVariant Dataset::fieldByName(const QString& name) const {
    return value(cur_, fieldIndex(name));
}

QString Dataset::text(const QString& name) const {
    const QVariant v = fieldByName(name);
    return v.isNull() ? QString() : v.toString();
}

QDateTime Dataset::dateTime(const QString& name) const {
    return sql::parseStored(text(name));
}

bool Dataset::append() {
    if (!isOpen()) return fail(QStringLiteral("the dataset is closed"));
    if (!writable_) return fail(QStringLiteral("the dataset is read-only"));
    if (!checkBrowseMode()) return false;
    error_.clear();
    beforeAppend_ = cur_;
    Row r;
    r.values.resize(size_t(storedFieldCount_));
    if (!disabled_) emit rowAboutToBeInserted(int(rows_.size()));
    rows_.push_back(std::move(r));
    modified_.assign(size_t(storedFieldCount_), false);
    cur_ = int(rows_.size()) - 1;
    bof_ = eof_ = false;
    state_ = State::Insert;
    if (!disabled_) {
        emit rowInserted(cur_);
        emit stateChanged();
        emit currentChanged(cur_);
    }
    return true;
}

bool Dataset::edit() {
    if (!isOpen()) return fail(QStringLiteral("the dataset is closed"));
    if (state_ == State::Edit || state_ == State::Insert) return true;
    if (rows_.empty()) return append();
    if (!writable_) return fail(QStringLiteral("the dataset is read-only"));
    error_.clear();
    backup_ = rows_[size_t(cur_)];
    modified_.assign(size_t(storedFieldCount_), false);
    setState(State::Edit);
    return true;
}

bool Dataset::convert(int index, const QVariant& in, QVariant* out) {
    const schema::Column* c = column(index);
    const bool empty =
        in.isNull() || (in.typeId() == QMetaType::QString && in.toString().trimmed().isEmpty());
    const schema::Type type = c ? c->type : schema::Type::Memo;
    switch (type) {
    case schema::Type::Counter:
        return fail(QStringLiteral("%1 is filled by the database").arg(fields_[index]));
    case schema::Type::DateTime:
        if (empty) {
            *out = QVariant();
        } else if (in.typeId() == QMetaType::QDateTime) {
            if (!in.toDateTime().isValid())
                return fail(QStringLiteral("invalid date-time for %1").arg(fields_[index]));
            *out = sql::dateTimeText(in.toDateTime());
        } else if (in.typeId() == QMetaType::QDate) {
            *out = sql::dateTimeText(QDateTime(in.toDate(), QTime(0, 0)));
        } else {
            const QString n = sql::normalizeDateTime(in.toString());
            if (n.isNull())
                return fail(QStringLiteral("'%1' is not a valid date and time").arg(in.toString()));
            *out = n;
        }
        return true;
    case schema::Type::Integer: {
        if (empty) {
            *out = QVariant();
            return true;
        }
        bool ok = false;
        const qlonglong v =
            in.typeId() == QMetaType::QString ? in.toString().trimmed().toLongLong(&ok) : in.toLongLong(&ok);
        if (!ok || (in.typeId() == QMetaType::Double && in.toDouble() != double(v)))
            return fail(QStringLiteral("'%1' is not a valid integer value").arg(in.toString()));
        *out = v;
        return true;
    }
    case schema::Type::Float: {
        if (empty) {
            *out = QVariant();
            return true;
        }
        bool ok = false;
        const double v =
            in.typeId() == QMetaType::QString ? in.toString().trimmed().toDouble(&ok) : in.toDouble(&ok);
        if (!ok) return fail(QStringLiteral("'%1' is not a valid floating point value").arg(in.toString()));
        *out = v;
        return true;
    }
    case schema::Type::Text:
    case schema::Type::FixedText:
        *out = in.isNull() ? QVariant() : QVariant(in.toString());
        return true;
    case schema::Type::Memo:
        if (in.typeId() == QMetaType::QDateTime)
            *out = sql::dateTimeText(in.toDateTime());
        else
            *out = in;
        return true;
    }
    return true;
}

bool Dataset::setField(const QString& name, const QVariant& v) {
    const int index = fieldIndex(name);
    if (index < 0) return fail(QStringLiteral("no field %1").arg(name));
    if (isCalculated(index)) return fail(QStringLiteral("%1 is calculated").arg(name));
    QVariant value;
    if (!convert(index, v, &value)) return false;
    if (state_ != State::Edit && state_ != State::Insert && !edit()) return false;
    rows_[size_t(cur_)].values[size_t(index)] = value;
    modified_[size_t(index)] = true;
    if (!disabled_) emit rowChanged(cur_);
    if (onFieldChange) onFieldChange(*this, fields_[index]);
    return true;
}

QVariant Dataset::forStorage(int index, const QVariant& v) const {
    const schema::Column* c = column(index);
    if (c && (c->type == schema::Type::Text || c->type == schema::Type::FixedText) && !v.isNull())
        return cutText(v.toString(), c->size);
    if (v.typeId() == QMetaType::QDateTime) return sql::dateTimeText(v.toDateTime());
    return v;
}

bool Dataset::reread(Row& row) {
    QStringList cols;
    for (const QString& f : storedFields_)
        cols << quoteName(f);
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?")
                  .arg(cols.join(QLatin1Char(',')), quoteName(table_)));
    q.addBindValue(row.rowid);
    if (!q.exec() || !q.next()) return false;
    for (int i = 0; i < storedFieldCount_; ++i)
        row.values[size_t(i)] = q.value(i);
    return true;
}

bool Dataset::post() {
    if (!isOpen()) return fail(QStringLiteral("the dataset is closed"));
    if (state_ == State::Browse) return true;
    error_.clear();
    if (beforePost && !beforePost(*this)) return false;
    Row& row = rows_[size_t(cur_)];
    const auto isCounter = [&](int i) { return column(i) && column(i)->type == schema::Type::Counter; };

    QSqlQuery q(db_);
    if (state_ == State::Insert) {
        QStringList cols, marks;
        QVariantList values;
        for (int i = 0; i < storedFieldCount_; ++i) {
            if (isCounter(i) || (!modified_[size_t(i)] && row.values[size_t(i)].isNull())) continue;
            cols << quoteName(storedFields_[i]);
            marks << QStringLiteral("?");
            values << forStorage(i, row.values[size_t(i)]);
        }
        const QString stmt =
            cols.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table_))
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteName(table_), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        q.prepare(stmt);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec()) return fail(q.lastError().text());
        row.rowid = q.lastInsertId().toLongLong();
        q.finish();
        for (int i = 0; i < storedFieldCount_; ++i) {
            if (isCounter(i))
                row.values[size_t(i)] = row.rowid;
            else
                row.values[size_t(i)] = forStorage(i, row.values[size_t(i)]);
        }
        reread(row);
    } else {
        QStringList sets;
        QVariantList values;
        for (int i = 0; i < storedFieldCount_; ++i) {
            if (isCounter(i) || !modified_[size_t(i)]) continue;
            sets << quoteName(storedFields_[i]) + QStringLiteral("=?");
            values << forStorage(i, row.values[size_t(i)]);
        }
        if (!sets.isEmpty()) {
            q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?")
                          .arg(quoteName(table_), sets.join(QLatin1Char(','))));
            for (const QVariant& v : values)
                q.addBindValue(v);
            q.addBindValue(row.rowid);
            if (!q.exec()) return fail(q.lastError().text());
            if (q.numRowsAffected() == 0)
                return fail(
                    QStringLiteral("the row cannot be found for updating; it was changed or deleted"));
            for (int i = 0; i < storedFieldCount_; ++i)
                if (modified_[size_t(i)]) row.values[size_t(i)] = forStorage(i, row.values[size_t(i)]);
        }
    }
    modified_.assign(size_t(storedFieldCount_), false);
    backup_ = {};
    setState(State::Browse);
    if (!disabled_) emit rowChanged(cur_);
    return true;
}

void Dataset::cancel() {
    if (state_ == State::Edit) {
        rows_[size_t(cur_)] = backup_;
        backup_ = {};
        modified_.assign(size_t(storedFieldCount_), false);
        setState(State::Browse);
        if (!disabled_) emit rowChanged(cur_);
    } else if (state_ == State::Insert) {
        const int row = cur_;
        if (!disabled_) emit rowAboutToBeRemoved(row);
        rows_.erase(rows_.begin() + row);
        modified_.assign(size_t(storedFieldCount_), false);
        state_ = State::Browse;
        cur_ = std::min(beforeAppend_, int(rows_.size()) - 1);
        if (cur_ < 0 && !rows_.empty()) cur_ = 0;
        bof_ = rows_.empty();
        eof_ = rows_.empty();
        if (!disabled_) {
            emit rowRemoved(row);
            emit stateChanged();
            emit currentChanged(cur_);
        }
    }
}

bool Dataset::remove() {
    if (!isOpen()) return fail(QStringLiteral("the dataset is closed"));
    if (state_ == State::Insert) {
        cancel();
        return true;
    }
    if (rows_.empty()) return fail(QStringLiteral("the dataset is empty"));
    if (state_ == State::Edit) cancel();
    error_.clear();
    if (beforeDelete && !beforeDelete(*this)) return false;
    if (!writable_) return fail(QStringLiteral("the dataset is read-only"));
    const int row = cur_;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoteName(table_)));
    q.addBindValue(rows_[size_t(row)].rowid);
    if (!q.exec()) return fail(q.lastError().text());
    // A row another connection deleted already is gone all the same.
    const bool wasLast = row == recordCount() - 1;
    if (!disabled_) emit rowAboutToBeRemoved(row);
    rows_.erase(rows_.begin() + row);
    cur_ = rows_.empty() ? -1 : std::min(row, int(rows_.size()) - 1);
    bof_ = rows_.empty();
    eof_ = rows_.empty() || wasLast;
    if (!disabled_) {
        emit rowRemoved(row);
        emit currentChanged(cur_);
    }
    return true;
}

bool Dataset::removeAll() {
    if (!isOpen()) return fail(QStringLiteral("the dataset is closed"));
    if (state_ == State::Insert || state_ == State::Edit) cancel();
    if (rows_.empty()) return true;
    if (!writable_) return fail(QStringLiteral("the dataset is read-only"));
    error_.clear();
    const bool own = db_.transaction();
    QSqlQuery q(db_);
    constexpr size_t kBatch = 500;
    for (size_t at = 0; at < rows_.size(); at += kBatch) {
        const size_t end = std::min(rows_.size(), at + kBatch);
        QString ids;
        for (size_t i = at; i < end; ++i) {
            if (i > at) ids += QLatin1Char(',');
            ids += QString::number(rows_[i].rowid);
        }
        if (!q.exec(QStringLiteral("DELETE FROM %1 WHERE rowid IN (%2)").arg(quoteName(table_), ids))) {
            error_ = q.lastError().text();
            q.finish();
            if (own) db_.rollback();
            return false;
        }
    }
    q.finish();
    if (own && !db_.commit()) {
        error_ = db_.lastError().text();
        db_.rollback();
        return false;
    }
    rows_.clear();
    cur_ = -1;
    bof_ = eof_ = true;
    if (!disabled_) {
        emit reset();
        emit currentChanged(cur_);
    }
    return true;
}

bool Dataset::sortBy(const QString& name, bool ascending) {
    const int index = fieldIndex(name);
    if (!isOpen() || index < 0) return fail(QStringLiteral("no field %1").arg(name));
    if (!checkBrowseMode()) return false;
    const int n = recordCount();
    std::vector<QVariant> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        keys[size_t(i)] = value(i, index);
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const auto less = [&](int a, int b) {
        const QVariant& x = keys[size_t(a)];
        const QVariant& y = keys[size_t(b)];
        if (x.isNull() || y.isNull()) return x.isNull() && !y.isNull();
        if (isNumber(x) && isNumber(y)) return x.toDouble() < y.toDouble();
        return x.toString().compare(y.toString()) < 0;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return ascending ? less(a, b) : less(b, a); });
    std::vector<Row> sorted;
    sorted.reserve(size_t(n));
    int newCur = -1;
    for (int i = 0; i < n; ++i) {
        if (order[size_t(i)] == cur_) newCur = i;
        sorted.push_back(std::move(rows_[size_t(order[size_t(i)])]));
    }
    rows_ = std::move(sorted);
    cur_ = newCur;
    if (!disabled_) {
        emit reset();
        emit currentChanged(cur_);
    }
    return true;
}

void Dataset::addCalculatedField(const QString& name, std::function<QVariant(const Dataset&, int)> calc) {
    calcs_.emplace_back(name, std::move(calc));
    if (isOpen()) {
        rebuildFieldNames();
        if (!disabled_) emit reset();
    }
}

void Dataset::addRecordNumberField(const QString& name) {
    addCalculatedField(name,
                       [](const Dataset& d, int row) { return QVariant(d.isInsertRow(row) ? 1 : row + 1); });
}

void Dataset::disableControls() {
    ++disabled_;
}

void Dataset::enableControls() {
    if (disabled_ == 0 || --disabled_ > 0) return;
    emit reset();
    emit stateChanged();
    emit currentChanged(cur_);
}
