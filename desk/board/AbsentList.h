#pragma once
// An absent list of the day board: employee names in roster order, from which a sign-in removes the
// first entry equal to a name (whole entry, letter case ignored). Two employees of one name are two
// entries, taken away one per swipe.
//
// Removal is O(1) amortised and the order of the remaining entries is kept: entries are never moved,
// only marked gone, and each name keeps the queue of its entries' positions.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class AbsentList {
public:
    void clear();
    void append(const QString& entry);

    // Removes the first entry equal to name. Returns the row the entry had in entries() just before the
    // removal (so a list view can take that row away), or -1 when no entry matched.
    //
    // The swipe table keeps at most 8 characters of a name, so a swipe of an employee with a longer
    // name carries the name's first 8 characters. When no entry equals an 8-character name, the first
    // longer entry that begins with it is taken instead; otherwise such an employee would stay absent
    // all day after signing in.
    int remove(const QString& name);
    bool contains(const QString& name) const;

    int size() const { return live_; }
    bool isEmpty() const { return live_ == 0; }
    // The remaining entries in order, for the window's list.
    QStringList entries() const;

private:
    struct Queue {
        std::vector<int> positions;
        size_t head = 0;
    };
    // First live position of the queue, skipping entries already removed through the other index.
    int front(Queue& q) const;
    int find(const QString& name, Queue** queue) const;
    int rowOf(int position) const; // live entries before position
    void fenwickAdd(int position, int delta);

    std::vector<QString> entries_;
    std::vector<char> alive_;
    std::vector<int> fenwick_;               // 1-based tree over alive_, for the row of a position
    mutable QHash<QString, Queue> byName_;   // case-folded whole entry
    mutable QHash<QString, Queue> byPrefix_; // case-folded first 8 characters, for longer entries
    int live_ = 0;
};
