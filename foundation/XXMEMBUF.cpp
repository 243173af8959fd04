#include "foundation/XXMEMBUF.h"

#include "foundation/XXMSG.h"

void XXMEMBUF::setData(const void* bytes, int64_t length) {
    if (!bytes || length < 0) length = 0;
    if (length > INT32_MAX) {
        Tracer t("XXMEMBUF::setData");
        t << "block too large: " << static_cast<long long>(length) << " bytes, scanning the first "
          << int32_t(INT32_MAX);
        t.emit();
        length = INT32_MAX;
    }
    owned_.reset();
    ownsData_ = false;
    store_ = static_cast<const unsigned char*>(bytes);
    count_ = capacity_ = int32_t(length);
    loaded_ = true;
    synch();
}

bool XXMEMBUF::open(int32_t idxCapacity) {
    failed_ = false;
    end_ = false;
    idxs_.count = 0;
    return idxs_.chk(idxCapacity);
}

int32_t XXMEMBUF::load() {
    loaded_ = true;
    return count_;
}

bool XXMEMBUF::getByte(int64_t offset, unsigned char& out) {
    if (!loaded_) return false;
    if (offset >= 0 && offset < count_) {
        out = store_[offset];
        return true;
    }
    Tracer t("XXMEMBUF::getByte");
    t << "Invalid index: " << static_cast<long long>(offset);
    t.emit();
    return false;
}
