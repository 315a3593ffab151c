#include "desk/board/AbsentList.h"

#include "desk/board/SignInRecord.h"

void AbsentList::clear() {
    entries_.clear();
    alive_.clear();
    fenwick_.assign(1, 0);
    byName_.clear();
    byPrefix_.clear();
    live_ = 0;
}

void AbsentList::append(const QString& entry) {
    if (fenwick_.empty()) fenwick_.assign(1, 0);
    const int position = int(entries_.size());
    entries_.push_back(entry);
    alive_.push_back(1);
    // The new tree node covers (i - lowbit(i), i]: the live entries in that range before this one, plus
    // this one.
    const int i = position + 1;
    const int low = i - (i & -i);
    fenwick_.push_back(rowOf(position) - rowOf(low) + 1);
    ++live_;

    const QString key = entry.toCaseFolded();
    byName_[key].positions.push_back(position);
    if (entry.size() > swipe_columns::Empl_Name)
        byPrefix_[key.left(swipe_columns::Empl_Name)].positions.push_back(position);
}

int AbsentList::front(Queue& q) const {
    while (q.head < q.positions.size() && !alive_[size_t(q.positions[q.head])])
        ++q.head;
    return q.head < q.positions.size() ? q.positions[q.head] : -1;
}

int AbsentList::find(const QString& name, Queue** queue) const {
    const QString key = name.toCaseFolded();
    auto it = byName_.find(key);
    if (it != byName_.end()) {
        const int p = front(*it);
        if (p >= 0) {
            *queue = &*it;
            return p;
        }
    }
    if (name.size() == swipe_columns::Empl_Name) {
        auto pt = byPrefix_.find(key);
        if (pt != byPrefix_.end()) {
            const int p = front(*pt);
            if (p >= 0) {
                *queue = &*pt;
                return p;
            }
        }
    }
    return -1;
}

bool AbsentList::contains(const QString& name) const {
    Queue* q = nullptr;
    return find(name, &q) >= 0;
}

int AbsentList::remove(const QString& name) {
    Queue* q = nullptr;
    const int position = find(name, &q);
    if (position < 0) return -1;
    const int row = rowOf(position);
    alive_[size_t(position)] = 0;
    ++q->head;
    fenwickAdd(position, -1);
    --live_;
    return row;
}

QStringList AbsentList::entries() const {
    QStringList out;
    out.reserve(live_);
    for (size_t p = 0; p < entries_.size(); ++p)
        if (alive_[p]) out.append(entries_[p]);
    return out;
}

int AbsentList::rowOf(int position) const {
    int sum = 0;
    for (int i = position; i > 0; i -= i & -i)
        sum += fenwick_[size_t(i)];
    return sum;
}

void AbsentList::fenwickAdd(int position, int delta) {
    for (size_t i = size_t(position) + 1; i < fenwick_.size(); i += i & (~i + 1))
        fenwick_[i] += delta;
}
