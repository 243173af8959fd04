#include "run/PXClientCallback.h"

#include "run/PXClient.h"

namespace {

// `body`'s result, or 0 when it throws (an extension library may be C).
template <typename F>
int32_t safely(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return 0;
    }
}

}  // namespace

int32_t PXClientCallback::count(int32_t* n) {
    return safely([&] { return client->count(n); });
}

int32_t PXClientCallback::enumerate(int32_t index, const char** name, int32_t* type, int32_t* value) {
    return safely([&] { return client->enumerate(index, name, type, value); });
}

int32_t PXClientCallback::getInt(const char* name, int32_t* value) {
    return safely([&] { return client->getInt(name, value); });
}

int32_t PXClientCallback::set(const char* grid, const char* key, int32_t field, const char* text) {
    return safely([&] { return client->set(grid, key, field, text); });
}

int32_t PXClientCallback::setBytes(const char* grid, const char* key, int32_t field, const void* bytes,
                                   int32_t length) {
    return safely([&] { return setBytesOf(*client, grid, key, field, bytes, length); });
}

int32_t PXClientCallback::get(const char* grid, const char* key, int32_t field, const char** value,
                              int32_t* length) {
    return safely([&] { return getText(*client, grid, key, field, value, length); });
}

int32_t PXClientCallback::getAt(const char* grid, int32_t row, int32_t field, const char** value,
                                int32_t* length) {
    return safely([&] { return getTextAt(*client, grid, row, field, value, length); });
}

int32_t PXClientCallback::getText(PXClient& client, const char* grid, const char* key, int32_t field,
                                  const char** value, int32_t* length) {
    const void* v = nullptr;
    const int32_t result = client.get(grid, key, field, value ? &v : nullptr, length);
    if (value) *value = static_cast<const char*>(v);
    return result;
}

int32_t PXClientCallback::getTextAt(PXClient& client, const char* grid, int32_t row, int32_t field,
                                    const char** value, int32_t* length) {
    const void* v = nullptr;
    const int32_t result = client.get(grid, row, field, value ? &v : nullptr, length);
    if (value) *value = static_cast<const char*>(v);
    return result;
}

int32_t PXClientCallback::setBytesOf(PXClient& client, const char* grid, const char* key, int32_t field,
                                     const void* bytes, int32_t length) {
    if (!bytes && length > 0) return 0;
    return client.set(grid, key, field, static_cast<const unsigned char*>(bytes ? bytes : ""), length);
}
