#include "settings/Store.h"

namespace vantrel {

StoreTransaction::StoreTransaction(Store& store) : store_(&store), open_(false) {
    store_->beginTransaction();
    open_ = true;
}

StoreTransaction::~StoreTransaction() {
    if (!open_) return;
    try {
        store_->rollbackTransaction();
    } catch (const StoreError&) {
        // Nothing was committed, and a destructor has nobody to tell.
    }
}

void StoreTransaction::commit() {
    open_ = false;
    store_->commitTransaction();
}

}  // namespace vantrel
