#include "engine/CountNode.h"

#include <cstring>
#include <new>

namespace vantor {

namespace {

void CopyName(char* destination, std::size_t capacity, std::string_view source) {
    const std::size_t length = source.size() < capacity ? source.size() : capacity - 1;
    std::memcpy(destination, source.data(), length);
    destination[length] = '\0';
}

}  // namespace

CCountNode::CCountNode(DirectoryClient& directory, DirContext dirContext, std::string_view full,
                       std::string_view display, LinkList* workQueue, CCountNode* parentNode,
                       std::string_view classToCount, bool partitionMode, CountCallbacks hooks)
    : client(directory),
      context(dirContext),
      fullName(full),
      displayName(display),
      queue(workQueue),
      parent(parentNode),
      byPartition(partitionMode ? 1 : 0),
      callbacks(std::move(hooks)) {
    CopyName(className, sizeof className, classToCount);
    ListInit(&errors);
    errors.cursor = nullptr;
}

CCountNode::~CCountNode() {
    while (ListElement* first = ListFirst(&errors)) {
        ListRemove(&errors, first);
        delete static_cast<CountError*>(first);
    }
}

int CCountNode::Process(const char* name) {
    if (CountObjects(name) == kCancelled) {
        return kCancelled;
    }
    return WalkContainers(name);
}

int CCountNode::Poll() {
    if (callbacks.pumpMessages) {
        callbacks.pumpMessages();
    }
    if (callbacks.isCancelled && callbacks.isCancelled() != 0) {
        return kCancelled;
    }
    return 0;
}

void CCountNode::AddError(int errorCode, int operation, const char* objectName) {
    std::string cause;
    try {
        cause = client.FailureCause();
    } catch (const std::bad_alloc&) {
        // the error line is still worth having without its cause
    }
    AddError(errorCode, operation, objectName, std::move(cause));
}

void CCountNode::AddError(int errorCode, int operation, const char* objectName, std::string cause) {
    auto* error = new (std::nothrow) CountError;
    if (error == nullptr) {
        return;
    }
    error->operation = operation;
    error->errorCode = errorCode;
    error->cause = std::move(cause);
    if (objectName != nullptr) {
        const std::size_t size = std::strlen(objectName) + 1;
        error->objectName.reset(new (std::nothrow) char[size]);
        if (error->objectName) {
            std::memcpy(error->objectName.get(), objectName, size);
        }
    }
    ListAppend(&errors, error);
}

bool CCountNode::RefusedAsTooLong(int operation, const char* name) {
    const std::optional<std::size_t> limit = client.NameLimit();
    if (!limit || std::strlen(name) <= *limit) {
        return false;
    }
    std::string cause;
    try {
        cause = "the full name is longer than " + std::to_string(*limit) +
                " characters, the longest name a directory call takes";
    } catch (const std::bad_alloc&) {
        // recorded without its cause
    }
    AddError(dirError::kNameTooLong, operation, name, std::move(cause));
    hasErrors = 1;
    return true;
}

int CCountNode::FirstError() {
    errors.cursor = ListFirst(&errors);
    return errors.cursor != nullptr ? 1 : 0;
}

CountError* CCountNode::NextError() {
    ListElement* current = errors.cursor;
    if (current == nullptr) {
        return nullptr;
    }
    errors.cursor = ListNext(current);
    return static_cast<CountError*>(current);
}

void Enqueue(LinkList* queue, CCountNode* node) {
    ListAppend(queue, node);
    if (queue->cursor == nullptr) {
        queue->cursor = node;
    }
}

}  // namespace vantor
