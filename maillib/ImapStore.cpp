#include "maillib/ImapStore.h"

#include <fstream>
#include <set>
#include <sstream>
#include <vmime/net/imap/IMAPCommand.hpp>
#include <vmime/net/imap/IMAPConnection.hpp>
#include <vmime/net/imap/IMAPParser.hpp>
#include <vmime/net/imap/IMAPStore.hpp>
#include <vmime/net/imap/IMAPUtils.hpp>
#include <vmime/platforms/posix/posixHandler.hpp>
#include <vmime/security/cert/defaultCertificateVerifier.hpp>
#include <vmime/vmime.hpp>

#include "maillib/MessageReader.h"

namespace {

using vmime::net::imap::IMAPParser;

constexpr const char* kStampKeyword = "$QNStamp";
constexpr const char* kSystemCertificates = "/etc/ssl/certs/ca-certificates.crt";

void ensurePlatform() {
    static const bool installed = [] {
        vmime::platform::setHandler<vmime::platforms::posix::posixHandler>();
        return true;
    }();
    (void)installed;
}

// The certificate authorities of the system, for verifying imaps:// servers.
std::shared_ptr<vmime::security::cert::defaultCertificateVerifier> systemVerifier() {
    auto verifier = std::make_shared<vmime::security::cert::defaultCertificateVerifier>();
    std::vector<std::shared_ptr<vmime::security::cert::X509Certificate>> roots;
    std::ifstream in(kSystemCertificates);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    const std::string end = "-----END CERTIFICATE-----";
    for (size_t at = 0; (at = text.find("-----BEGIN CERTIFICATE-----", at)) != std::string::npos;) {
        const size_t stop = text.find(end, at);
        if (stop == std::string::npos) break;
        const std::string pem = text.substr(at, stop + end.size() - at);
        if (auto cert = vmime::security::cert::X509Certificate::import(
                reinterpret_cast<const vmime::byte_t*>(pem.data()), pem.size()))
            roots.push_back(cert);
        at = stop;
    }
    verifier->setX509RootCAs(roots);
    return verifier;
}

// Sends a command of our own on the store's connection; the server's response, or an
// exception when the server refuses the command.
std::unique_ptr<IMAPParser::response> command(vmime::net::imap::IMAPStore& store, const std::string& text) {
    auto connection = store.getConnection();
    vmime::net::imap::IMAPCommand::createCommand(text)->send(connection);
    std::unique_ptr<IMAPParser::response> response(connection->readResponse());
    if (response->isBad() ||
        response->response_done()->response_tagged()->resp_cond_state()->status() != IMAPParser::resp_cond_state::OK)
        throw vmime::exceptions::command_error(text, response->getErrorLog());
    return response;
}

class ImapFolder : public IQNMailFolder {
public:
    // The folder reads the messages on a connection of its own; the stamps are searched and
    // set on the store's connection, with the same mailbox selected there, by UID.
    ImapFolder(std::shared_ptr<vmime::net::imap::IMAPStore> store, std::shared_ptr<vmime::net::folder> folder,
               const std::string& name)
        : store_(std::move(store)), folder_(std::move(folder)) {
        using vmime::net::imap::IMAPUtils;
        folder_->open(vmime::net::folder::MODE_READ_WRITE);
        command(*store_, "SELECT " + IMAPUtils::quoteString(IMAPUtils::toModifiedUTF7('.', vmime::net::folder::path::component(name))));
        if (folder_->getMessageCount() == 0) return;
        messages_ = folder_->getMessages(vmime::net::messageSet::byNumber(1, -1));
        folder_->fetchMessages(messages_, vmime::net::fetchAttributes(vmime::net::fetchAttributes::UID));
        auto found = command(*store_, std::string("UID SEARCH KEYWORD ") + kStampKeyword);
        for (const auto* item : found->continue_req_or_response_data()) {
            const auto* data = item->response_data();
            if (!data || !data->mailbox_data() || data->mailbox_data()->type() != IMAPParser::mailbox_data::SEARCH)
                continue;
            for (const auto* number : data->mailbox_data()->search_nz_number_list())
                stamped_.insert(std::to_string(number->value()));
        }
    }
    ~ImapFolder() override {
        try {
            folder_->close(false);
        } catch (const vmime::exception&) {
            // The connection is gone already; nothing is left to close.
        }
    }

    bool next() override {
        current_ = current_ == SIZE_MAX ? 0 : current_ + 1;
        return current_ < messages_.size();
    }
    bool stamped() override { return current_ < messages_.size() && stamped_.count(uid()) > 0; }
    uint32_t setStamp(int64_t) override {
        try {
            command(*store_, "UID STORE " + uid() + " +FLAGS.SILENT (" + kStampKeyword + ")");
            return kMailOk;
        } catch (const vmime::exception& e) {
            error_ = e.what();
            return kMailNoAccess;
        }
    }
    uint32_t saveChanges() override { return kMailOk; }   // a keyword is kept as it is set
    uint32_t read(QNMailMessage& out) override {
        try {
            std::string raw;
            vmime::utility::outputStreamStringAdapter stream(raw);
            messages_[current_]->extract(stream, nullptr, 0, size_t(-1), true);
            stream.flush();
            readMessage(raw, false, out);
            return kMailOk;
        } catch (const vmime::exceptions::message_not_found& e) {
            error_ = e.what();
            return kMailNotFound;
        }
    }
    const char* lastError() const override { return error_.c_str(); }

private:
    std::string uid() const { return messages_[current_]->getUID(); }

    std::shared_ptr<vmime::net::imap::IMAPStore> store_;
    std::shared_ptr<vmime::net::folder> folder_;
    std::vector<std::shared_ptr<vmime::net::message>> messages_;
    std::set<std::string> stamped_;   // UIDs
    size_t current_ = SIZE_MAX;
    std::string error_;
};

class ImapStore : public MailStore {
public:
    ImapStore(std::shared_ptr<vmime::net::session> session, std::shared_ptr<vmime::net::imap::IMAPStore> store)
        : session_(std::move(session)), store_(std::move(store)) {}
    ~ImapStore() override {
        try {
            if (store_->isConnected()) store_->disconnect();
        } catch (const vmime::exception&) {
            // Already cut off: the server will drop the session by itself.
        }
    }

    uint32_t listFolders(std::vector<std::string>& names, std::string& error) override {
        try {
            for (const auto& f : store_->getRootFolder()->getFolders(false)) names.push_back(f->getName().getBuffer());
            return kMailOk;
        } catch (const vmime::exception& e) {
            error = e.what();
            return kMailNotFound;
        }
    }

    std::unique_ptr<IQNMailFolder> openFolder(const std::string& name, uint32_t& result,
                                              std::string& error) override {
        try {
            auto folder = store_->getFolder(vmime::net::folder::path(name));
            if (!folder->exists()) {
                result = kMailNotFound;
                error = "No folder " + name + " on the server";
                return nullptr;
            }
            result = kMailOk;
            return std::make_unique<ImapFolder>(store_, folder, name);
        } catch (const vmime::exceptions::command_error& e) {
            result = kMailNotFound;
            error = e.what() + (" " + e.response());
            return nullptr;
        } catch (const vmime::exception& e) {
            result = kMailNotFound;
            error = e.what();
            return nullptr;
        }
    }

private:
    std::shared_ptr<vmime::net::session> session_;
    std::shared_ptr<vmime::net::imap::IMAPStore> store_;
};

}  // namespace

std::unique_ptr<MailStore> openImapStore(const std::string& url, const std::string& password, uint32_t& result,
                                         std::string& error) {
    ensurePlatform();
    try {
        vmime::utility::url address(url);
        if (!password.empty()) address.setPassword(password);
        auto session = vmime::net::session::create();
        auto store = std::dynamic_pointer_cast<vmime::net::imap::IMAPStore>(session->getStore(address));
        if (!store) {
            result = kMailNotFound;
            error = "Not an IMAP store: " + url;
            return nullptr;
        }
        store->setProperty("options.sasl", false);
        if (store->isIMAPS()) store->setCertificateVerifier(systemVerifier());
        store->connect();
        result = kMailOk;
        return std::make_unique<ImapStore>(session, store);
    } catch (const vmime::exceptions::authentication_error& e) {
        result = kMailLogonFailed;
        error = e.what() + std::string(": ") + e.response();
    } catch (const vmime::exception& e) {
        result = kMailNotFound;
        error = e.what();
    }
    return nullptr;
}
