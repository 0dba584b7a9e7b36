#include "directory/ldap/LdapTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/CountNode.h"

namespace vantor::test {

std::string OuLdif(const std::string& dn, const std::string& ou,
                   const std::vector<std::string>& extra) {
    std::string text = "dn: " + dn + "\nobjectClass: organizationalUnit\n";
    for (const std::string& line : extra) {
        text += line + "\n";
    }
    return text + "ou: " + ou + "\n\n";
}

std::string UsersLdif(const std::string& parent, const std::string& prefix, int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        const std::string uid = prefix + std::to_string(i);
        text += "dn: uid=" + uid + "," + parent + "\nobjectClass: inetOrgPerson\nuid: " + uid +
                "\ncn: " + uid + "\nsn: " + prefix + "\n\n";
    }
    return text;
}

LdapSettings SettingsFor(const SlapdServer& server, int pageSize) {
    LdapSettings settings;
    settings.uri = server.Uri();
    settings.pageSize = pageSize;
    settings.networkTimeout = std::chrono::seconds(5);
    settings.operationTimeout = std::chrono::seconds(10);
    return settings;
}

Listing ListAll(DirectoryClient& dir, DirContext context, const std::string& name) {
    Listing listing;
    DirBuffer* reply = nullptr;
    listing.result = dir.NWDSAllocBuf(4096, &reply);
    std::int32_t handle = kNoIteration;
    while (listing.result == 0 && listing.batches < 1000) {
        listing.result = dir.NWDSListContainers(context, name.c_str(), &handle, reply);
        std::uint32_t n = 0;
        if (listing.result == 0) {
            ++listing.batches;
            listing.result = dir.NWDSGetObjCount(context, reply, &n);
        }
        for (std::uint32_t i = 0; listing.result == 0 && i < n; ++i) {
            std::string entry;
            std::uint32_t attributes = 0;
            ObjectInfo info;
            listing.result = dir.NWDSGetObjName(context, reply, entry, &attributes, &info);
            listing.names.emplace_back(entry);
            listing.flags.push_back(info.objectFlags);
        }
        if (handle == kNoIteration) {
            break;
        }
    }
    dir.ReleaseBuffer(reply);
    return listing;
}

namespace {

int StoreClassFilter(DirectoryClient& dir, DirContext context, DirBuffer* filter,
                     const std::string& className) {
    FilterCursor* cursor = nullptr;
    int r = dir.PrepareBuffer(context, kSearchOperation, filter);
    if (r == 0) {
        r = dir.NewFilter(&cursor);
    }
    if (r == 0) {
        r = dir.AddFilterItem(cursor, filterToken::kAttributeName, "Object Class",
                              kSyntaxClassName);
    }
    if (r == 0) {
        r = dir.AddFilterItem(cursor, filterToken::kEquals, nullptr, 0);
    }
    if (r == 0) {
        r = dir.AddFilterItem(cursor, filterToken::kValue, className.c_str(), kSyntaxClassName);
    }
    if (r == 0) {
        r = dir.AddFilterItem(cursor, filterToken::kEnd, nullptr, 0);
    }
    if (r == 0) {
        return dir.StoreFilter(context, filter, cursor, nullptr);
    }
    if (cursor != nullptr) {
        dir.FreeFilter(cursor);
    }
    return r;
}

}  // namespace

SearchCursor::SearchCursor(DirectoryClient& dir, DirContext context, std::string base,
                           const std::string& className)
    : dir_(dir), context_(context), base_(std::move(base)) {
    setup_ = dir_.NWDSAllocBuf(4096, &reply_);
    if (setup_ == 0) {
        setup_ = dir_.NWDSAllocBuf(4096, &filter_);
    }
    if (setup_ == 0) {
        setup_ = StoreClassFilter(dir_, context_, filter_, className);
    }
}

SearchCursor::~SearchCursor() {
    if (filter_ != nullptr) {
        dir_.ReleaseBuffer(filter_);
    }
    if (reply_ != nullptr) {
        dir_.ReleaseBuffer(reply_);
    }
}

int SearchCursor::Next(std::uint32_t& count) {
    count = 0;
    if (setup_ != 0) {
        return setup_;
    }
    const int r = dir_.NWDSSearch(context_, base_.c_str(), kScopeOneLevel, 0, filter_,
                                  kInfoTypeNames, 0, nullptr, &handle_, 0, nullptr, reply_);
    return r != 0 ? r : dir_.NWDSGetObjCount(context_, reply_, &count);
}

Search SearchAll(DirectoryClient& dir, DirContext context, const std::string& base,
                 const std::string& className, int maxBatches) {
    Search search;
    SearchCursor cursor(dir, context, base, className);
    while (search.result == 0 && search.batches < maxBatches) {
        std::uint32_t n = 0;
        search.result = cursor.Next(n);
        if (search.result == 0) {
            ++search.batches;
            search.count += n;
        }
        if (cursor.Handle() == kNoIteration) {
            break;
        }
    }
    search.handle = cursor.Handle();
    return search;
}

std::vector<NodeResult> RunEngine(DirectoryClient& dir, const char* className, bool byPartition) {
    std::vector<NodeResult> results;
    const DirContext context = dir.OpenContext();
    EXPECT_GE(context, 0) << dir.FailureCause();
    if (context < 0) {
        return results;
    }
    auto queue = std::make_unique<LinkList>();
    ListInit(queue.get());
    queue->cursor = nullptr;
    Enqueue(queue.get(), new CCountNode(dir, context, kRootName, kRootName, queue.get(), nullptr,
                                        className, byPartition, CountCallbacks{}));
    while (CCountNode* node = AsNode(queue->cursor)) {
        queue->cursor = ListNext(node);
        const int result = node->Process();
        NodeResult shown{node->fullName, node->count, node->hasErrors, result, {}, {}};
        dir.ReadEntryDn(context, node->fullName.c_str(), shown.dn);
        node->FirstError();
        while (const CountError* error = node->NextError()) {
            shown.errors.push_back(
                {error->errorCode, error->objectName ? error->objectName.get() : "", error->cause});
        }
        results.push_back(std::move(shown));
    }
    while (ListElement* first = ListFirst(queue.get())) {
        ListRemove(queue.get(), first);
        delete AsNode(first);
    }
    dir.CloseContext(context);
    return results;
}

ClosedPort::ClosedPort() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port_ = ntohs(address.sin_port);
    }
}

ClosedPort::~ClosedPort() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void ServerHolder::Start(const SlapdOptions& options) {
    server_ = SlapdServer::Start(options, error_);
}

}  // namespace vantor::test
