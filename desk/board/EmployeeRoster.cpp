#include "desk/board/EmployeeRoster.h"

void EmployeeRoster::clear() {
    lines_.clear();
    names_.clear();
    cards_.clear();
    depts_.clear();
    cardIndex_.clear();
}

void EmployeeRoster::load(const std::vector<RegisterRow>& rows) {
    clear();
    lines_.reserve(qsizetype(rows.size()));
    names_.reserve(qsizetype(rows.size()));
    cards_.reserve(qsizetype(rows.size()));
    depts_.reserve(qsizetype(rows.size()));
    cardIndex_.reserve(qsizetype(rows.size()));
    for (size_t k = 0; k < rows.size(); ++k) {
        const QString name = rows[k].Empl_Name.trimmed();
        const QString card = rows[k].Card_Code.trimmed();
        if (name.isEmpty() || card.isEmpty()) continue;
        const int index = int(lines_.size());
        lines_.append(QStringLiteral("%1").arg(qulonglong(k + 1), 3, 10, QLatin1Char('0')) +
                      QLatin1Char('|') + name);
        names_.append(name);
        cards_.append(card);
        depts_.append(rows[k].Dept_Name.trimmed());
        const QString key = card.toCaseFolded();
        if (!cardIndex_.contains(key)) cardIndex_.insert(key, index); // the first of equal cards wins
    }
}

int EmployeeRoster::findCard(const QString& card) const {
    return cardIndex_.value(card.toCaseFolded(), -1);
}

QString EmployeeRoster::lineName(int i) const {
    const QString& line = lines_.at(i);
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    return bar < 0 ? line : line.mid(bar + 1);
}
