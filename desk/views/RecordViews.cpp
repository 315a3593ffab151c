#include "desk/views/RecordViews.h"

#include "common/Prompter.h"
#include "desk/board/BoardQueries.h"
#include "desk/db/Dataset.h"

#include <utility>

namespace views {

namespace {

QString openWith(Dataset& ds, const QString& sql) {
    ds.close();
    ds.setSql(sql);
    return ds.open() ? QString() : ds.error();
}

} // namespace

bool confirmDelete(Prompter& prompter) {
    return prompter.ask(kDeleteQuestion, kTitle, Prompter::Buttons::YesNo, Prompter::Icon::Question) ==
           Prompter::Answer::Yes;
}

void installDeleteConfirmation(Dataset& ds, Prompter& prompter) {
    ds.beforeDelete = [&prompter](Dataset&) { return confirmDelete(prompter); };
}

bool confirmClear(Prompter& prompter) {
    const auto yes = [&prompter](const QString& text) {
        return prompter.ask(text, kTitle, Prompter::Buttons::YesNo, Prompter::Icon::Question) ==
               Prompter::Answer::Yes;
    };
    return yes(kClearQuestion) && yes(kClearAgainQuestion);
}

Cleared deleteAllRows(Dataset& ds) {
    // The per-row question stays out of it: removeAll does not consult the hook, so there is nothing to
    // detach and nothing left detached when the database refuses.
    Cleared out;
    const int rows = ds.recordCount();
    if (!ds.removeAll()) {
        out.error = ds.error();
        return out;
    }
    out.rows = rows;
    out.done = true;
    return out;
}

RecordViews::RecordViews(Datasets ds, Prompter& prompter, LogPane mailPane, LogPane smsPane)
    : ds_(ds), prompter_(prompter), mailPane_(std::move(mailPane)), smsPane_(std::move(smsPane)) {
    for (Dataset* d : {&ds_.history, &ds_.exceptions, &ds_.mailLog, &ds_.smsLog})
        d->addRecordNumberField();
    for (Dataset* d : {&ds_.history, &ds_.exceptions, &ds_.trips, &ds_.mailLog, &ds_.smsLog, &ds_.receivers})
        installDeleteConfirmation(*d, prompter_);
}

QString RecordViews::refreshHistory(const Range& r) {
    return openWith(ds_.history, board_sql::swipeHistory(r.from, r.to));
}

QString RecordViews::refreshExceptions(const Range& r, view_sql::ExceptionKind kind) {
    return openWith(ds_.exceptions, view_sql::exceptionView(r.from, r.to, kind));
}

QString RecordViews::refreshTrips(const QDate& day) {
    return openWith(ds_.trips, view_sql::tripView(day));
}

QString RecordViews::refreshMailLog(const Range& r) {
    return refreshLog(ds_.mailLog, view_sql::mailLog(r.from, r.to), mailPane_);
}

QString RecordViews::refreshSmsLog(const Range& r) {
    return refreshLog(ds_.smsLog, view_sql::smsLog(r.from, r.to), smsPane_);
}

QString RecordViews::refreshLog(Dataset& ds, const QString& sql, const LogPane& pane) {
    const QString error = openWith(ds, sql);
    if (!error.isEmpty()) return error;
    if (pane.clear) pane.clear();
    if (pane.addCurrentRow)
        for (ds.first(); !ds.eof(); ds.next())
            pane.addCurrentRow(ds);
    ds.first();
    return {};
}

Cleared RecordViews::clear(Dataset& ds, const std::function<QString()>& afterwards) {
    if (!confirmClear(prompter_)) return {};
    Cleared out = deleteAllRows(ds);
    if (!out.done) return out;
    if (afterwards) {
        out.error = afterwards();
        out.done = out.error.isEmpty();
    }
    return out;
}

Cleared RecordViews::clearHistory(const Range& exceptionRange, view_sql::ExceptionKind kind) {
    return clear(ds_.history, [&] { return refreshExceptions(exceptionRange, kind); });
}

Cleared RecordViews::clearMailLog(const Range& mailRange) {
    return clear(ds_.mailLog, [&] {
        if (mailPane_.clear) mailPane_.clear();
        return refreshMailLog(mailRange);
    });
}

Cleared RecordViews::clearTrips(const QDate& tripDay) {
    return clear(ds_.trips, [&] { return refreshTrips(tripDay); });
}

Cleared RecordViews::clearReceivers() {
    return clear(ds_.receivers, {});
}

Cleared RecordViews::clearSmsLog(const Range& smsRange) {
    return clear(ds_.smsLog, [&] {
        if (smsPane_.clear) smsPane_.clear();
        return refreshSmsLog(smsRange);
    });
}

QString RecordViews::insertTripAtEnd() {
    // Appending settles the row being edited first: stored when changed, dropped when untouched.
    return ds_.trips.append() ? QString() : ds_.trips.error();
}

} // namespace views
