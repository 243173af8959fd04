// IQNMail: the interface of the messaging layer (libqnmail.so) as its hosts see it.
//
// Hosts load the library by name and reach it only through the C functions below and the
// two interface classes; nothing of the mail library behind it shows here. A session is
// made from a named profile of the profile file (QuillonMail.conf); it holds message
// stores, each with top-level folders whose messages are walked in the store's order. A
// folder walk can stamp the messages it has seen, so that a later walk knows them.
//
// Results are the messaging system's 32-bit result codes (0 success). Objects handed out
// by the library are deleted by their owner through their virtual destructor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Result codes.
inline constexpr uint32_t kMailOk = 0;
inline constexpr uint32_t kMailErrorsReturned = 0x00040380;
inline constexpr uint32_t kMailNotEnoughResources = 0x8004010E;
inline constexpr uint32_t kMailNotFound = 0x8004010F;
inline constexpr uint32_t kMailLogonFailed = 0x80040111;
inline constexpr uint32_t kMailNotInitialized = 0x80040605;
inline constexpr uint32_t kMailNoAccess = 0x80070005;
// The body is 4 GiB or larger.
inline constexpr uint32_t kMailTooBig = 0x80040305;

// Recipient kinds.
inline constexpr int32_t kMailTo = 1;
inline constexpr int32_t kMailCc = 2;
inline constexpr int32_t kMailBcc = 3;

struct QNMailRecipient {
    std::string name;      // display name; the address when the header gives no name
    std::string address;
    int32_t type = kMailTo;
};

// One message as the host reads it; every text is in the code page of the run.
struct QNMailMessage {
    std::string subject;
    bool hasSubmitTime = false;   // the Date header, in UTC
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    std::string senderName;
    std::string senderAddress;
    std::vector<QNMailRecipient> recipients;
    std::string body;
    // kMailOk, or why the body could not be read: kMailNotFound (no text part),
    // kMailErrorsReturned (it could not be decoded; the body holds what could be read),
    // kMailTooBig.
    uint32_t bodyResult = kMailOk;
};

// One open folder: a cursor over its messages.
class IQNMailFolder {
public:
    virtual ~IQNMailFolder() = default;
    // Moves to the next message; false after the last.
    virtual bool next() = 0;
    // Whether the current message was stamped by an earlier walk.
    virtual bool stamped() = 0;
    // Stamps the current message with `when` (seconds since 1970, UTC); kept on saveChanges.
    virtual uint32_t setStamp(int64_t when) = 0;
    // Makes the stamps set so far lasting.
    virtual uint32_t saveChanges() = 0;
    // Reads the current message: kMailOk; kMailNotFound when it is not a message or is gone
    // (it is skipped); another result when it was read but something about it failed
    // (lastError says what; the message is still scanned).
    virtual uint32_t read(QNMailMessage& out) = 0;
    // The text of the last failure.
    virtual const char* lastError() const = 0;
};

class IQNMailSession {
public:
    virtual ~IQNMailSession() = default;
    // The stores of the profile, by display name, in profile order.
    virtual int32_t storeCount() const = 0;
    virtual const char* storeName(int32_t index) const = 0;
    // Opens the store with that display name (exact comparison), closing the one before.
    virtual uint32_t openStore(const char* name) = 0;
    // The top-level folder names of the open store.
    virtual uint32_t listFolders(std::vector<std::string>& names) = 0;
    // Opens a top-level folder of the open store; null with the result in `result`.
    virtual IQNMailFolder* openFolder(const char* name, uint32_t* result) = 0;
    // The text of the last failure and the part of the layer that met it.
    virtual const char* lastError() const = 0;
    virtual const char* component() const = 0;
};

using QNMailLogonFn = IQNMailSession* (*)(const char* profile, const char* password, uint32_t* result,
                                          std::string* error);
using QNMailProfileFn = void (*)(const char* name, void* context);
using QNMailProfilesFn = int32_t (*)(QNMailProfileFn each, void* context);
using QNMailOpenInboxFn = IQNMailFolder* (*)(uint32_t* result, std::string* error);

inline constexpr const char* kQNMailLibraryFile = "libqnmail.so";
// Opens a session on a profile (the first profile when `profile` is empty); null with
// kMailLogonFailed and a text naming the file when there is no such profile or the profile
// file cannot be read.
inline constexpr const char* kMailLogonSymbol = "QNMailLogon";
// Calls `each` with every profile name; the count.
inline constexpr const char* kMailProfilesSymbol = "QNMailProfiles";
// The default inbox ($MAILDIR, else ~/Maildir); reading a message there marks it read.
inline constexpr const char* kMailOpenInboxSymbol = "QNMailOpenInbox";
