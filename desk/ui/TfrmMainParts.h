#pragma once
// The window-free pieces behind the main window's sign-in and record views, held together so the
// window's header needs only their name.

#include "desk/signin/SignInService.h"
#include "desk/sound/NameCaller.h"
#include "desk/views/RecordViews.h"

#include <memory>

class Dataset;

// The swipe-history dataset as the sign-in's store: the row is appended through it, so the history
// grid shows it at once; a refused row is dropped from the dataset again.
class DatasetSwipeStore : public SwipeStore {
public:
    explicit DatasetSwipeStore(Dataset& ds) : ds_(ds) {}
    bool append(const SignInRecord& record, QString* error) override;

private:
    Dataset& ds_;
};

struct SignInParts {
    std::unique_ptr<DatasetSwipeStore> store;
    std::unique_ptr<NameCaller> caller;
    std::unique_ptr<SignInService> service;
    std::unique_ptr<views::RecordViews> views;
};
