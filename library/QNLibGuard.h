// guarded: the boundary between the library and its hosts. Nothing may be thrown into a
// host (it may be C): an exception that reaches an exported function or an IQN01 slot (an
// allocation failure, say) is reported to the host as a kind-1 message naming the
// function, and the function returns its failure value.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "foundation/XXSTRING.h"
#include "library/QNLibModule.h"

template <typename R, typename F>
R guarded(const char* name, R failure, F&& body) noexcept {
    const char* reason = "unexpected failure";
    std::string detail;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        reason = "out of memory";
    } catch (const std::exception& e) {
        detail = e.what();
    } catch (const XXSTRING& text) {
        // The error path ends a run by throwing its last text.
        detail = text.text();
    } catch (...) {
        // Reported below: a C host cannot receive an exception of any kind.
    }
    try {
        QNLibModule::send(1, (std::string(name) + ": " + (detail.empty() ? reason : detail.c_str())).c_str());
    } catch (...) {
        // Out of memory while reporting out of memory: the failure value says it all.
    }
    return failure;
}
