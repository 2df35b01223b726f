// Assignment between persistent objects: the source copies itself, unknown pairs are refused.
#include "platform/rtl/Persistent.h"

#include "platform/rtl/Exceptions.h"

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(*this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent& dest) const {
    dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    throw EConvertError(
        Format("Cannot assign a %s to a %s", source ? source->ClassName() : "nil", ClassName()));
}
