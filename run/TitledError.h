// TitledError: an Error whose text is headed by the class and method that found the fault,
// laid out as Tracer reports are ("title :" on the first line, the text below), without the
// programming-support line, since these are faults of the definition or the environment.
#pragma once

#include "foundation/XXMSG.h"

class TitledError : public Error {
public:
    explicit TitledError(const char* title, int32_t mode = 0) : Error(mode) { text << title << " :\n"; }
};
