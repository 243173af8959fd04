// Client sources: reserved words whose value the client supplies while it runs.
//
// A source is a named byte-string field. Its value is recomputed every time somebody asks
// for it (update()): the field is cleared and the new text appended, which brings the bytes
// in line. The kinds:
//   ClientSource   a value that the client or a scanner sets (FullStreamName, FileDate, URL,
//                  MessageStore, DefinitionName, ...); update() keeps what was set.
//   StreamName     the current file's name and extension, set from its path.
//   DateYYYYMMDD   the local date when asked ("2026-01-05").
//   Time24         the local time when asked ("09:03:07.045").
//   InputBuffer    the bytes the current input buffer holds, without copying them; asking
//                  while the buffer is not loaded logs "Input buffer closed" and gives none.
#pragma once

#include <cstdint>

#include "foundation/IXXINBUF.h"
#include "foundation/XXFLD.h"
#include "foundation/XXSTRING.h"

// A string-table number that names a source (its reserved word).
using XXID = int32_t;

class ClientSource : public XXFLD_BYTES {
public:
    XXSTRING name;   // the reserved word
    XXID id = 0;     // its string-table number, 0 when made from a plain name

    ClientSource() = default;
    explicit ClientSource(XXID labelId);
    explicit ClientSource(const char* label);
    ~ClientSource() override = default;

    // Recomputes the value (the base keeps the value that was set).
    virtual void update();
    // Sets the value from a NUL-terminated byte text.
    virtual void set(const unsigned char* text);
    // Sets the value from text.
    void setText(const char* text);
};

class StreamName : public ClientSource {
public:
    StreamName() : ClientSource(1945) {}
    // Not offered: the value comes from a path. Reports and changes nothing.
    void set(const unsigned char* text) override;
    // The name and extension of `path`, without its directory.
    void setFromPath(const char* path);
};

class DateYYYYMMDD : public ClientSource {
public:
    DateYYYYMMDD() : ClientSource(1910) {}
    void update() override;
};

class Time24 : public ClientSource {
public:
    Time24() : ClientSource(1952) {}
    void update() override;
};

class InputBuffer : public ClientSource {
public:
    InputBuffer() : ClientSource(1935) {}
    // The buffer whose bytes the source shows (null: none).
    void setBuffer(IXXINBUF* buffer) { buffer_ = buffer; }
    IXXINBUF* buffer() const { return buffer_; }
    void update() override {}
    // The buffer's storage while it is loaded; otherwise logs and gives an empty value.
    const unsigned char* getBytes() const override;
    int32_t getByteCount() const override;

private:
    bool loaded() const;

    IXXINBUF* buffer_ = nullptr;
};
