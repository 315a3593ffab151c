#pragma once
// The employees who can sign in: four parallel lists, one index per employee, in register order.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The register columns the roster takes from one row of "select * from MH_CardReg order by Empl_Code".
struct RegisterRow {
    QString Empl_Name;
    QString Card_Code;
    QString Dept_Name;
};

class EmployeeRoster {
public:
    // Replaces the roster with the rows, in query order. Rows whose trimmed name or trimmed card is empty
    // are left out; the number in RosterLines stays the row's 1-based position in the whole result.
    void load(const std::vector<RegisterRow>& rows);
    void clear();

    const QStringList& RosterLines() const { return lines_; } // "001|王小东"
    const QStringList& NameList() const { return names_; }
    const QStringList& CardList() const { return cards_; }
    const QStringList& DeptList() const { return depts_; }
    int size() const { return int(lines_.size()); }

    // The index of the first CardList entry equal to card as a whole, letter case ignored; the text is
    // taken as given (not trimmed), so " 123" does not find "123". -1 when there is none.
    int findCard(const QString& card) const;

    // The text after the first "|" of RosterLines[i]: the name the absent lists and the swipe row carry.
    QString lineName(int i) const;

private:
    QStringList lines_;
    QStringList names_;
    QStringList cards_;
    QStringList depts_;
    QHash<QString, int> cardIndex_; // case-folded card -> first index
};
