#include "support/EngineFixture.h"

namespace vantor::test {

CountCallbacks WindowProbe::Callbacks() {
    CountCallbacks callbacks;
    callbacks.isCancelled = [this] {
        ++checks;
        if (cancelAtCheck_ != 0 && checks >= cancelAtCheck_) {
            cancelRequested = true;
        }
        return cancelRequested ? 1 : 0;
    };
    callbacks.pumpMessages = [this] {
        ++pumps;
        return 1;
    };
    callbacks.showProgress = [this](const char* text) {
        progress.emplace_back(text);
        if (!cancelOnProgress_.empty() && progress.back() == cancelOnProgress_) {
            cancelRequested = true;
        }
        return 1;
    };
    return callbacks;
}

EngineRun::EngineRun(DirectoryClient& dir, std::string_view className, bool byPartition,
                     WindowProbe* probe)
    : dir_(dir), probe_(probe), context_(dir.OpenContext()), queue_(std::make_unique<LinkList>()) {
    ListInit(queue_.get());
    queue_->cursor = nullptr;
    root_ = new CCountNode(dir, context_, kRootName, kRootName, queue_.get(), nullptr, className,
                           byPartition, probe != nullptr ? probe->Callbacks() : CountCallbacks{});
    Enqueue(queue_.get(), root_);
}

EngineRun::EngineRun(InstrumentedDirectory& dir, std::string_view className, bool byPartition,
                     WindowProbe* probe)
    : EngineRun(static_cast<DirectoryClient&>(dir), className, byPartition, probe) {
    dir.ClearCalls();  // tests read the engine's calls only
}

EngineRun::~EngineRun() {
    while (ListElement* first = ListFirst(queue_.get())) {
        ListRemove(queue_.get(), first);
        delete AsNode(first);
    }
    dir_.CloseContext(context_);
}

void EngineRun::Run() {
    while (CCountNode* node = AsNode(queue_->cursor)) {
        queue_->cursor = ListNext(node);
        processed_.push_back({node, node->Process()});
        if (probe_ != nullptr && probe_->cancelRequested) {
            break;
        }
    }
}

long long EngineRun::ShownTotal() const {
    long long total = 0;
    for (const Processed& p : processed_) {
        total += p.result == kCancelled ? 0 : p.node->count;
    }
    return total;
}

std::ostream& operator<<(std::ostream& out, const ErrorLine& line) {
    out << "{" << line.errorCode << ", op " << line.operation << ", ";
    return line.hasName ? out << '"' << line.name << "\"}" : out << "no name}";
}

ErrorLine Named(int errorCode, int operation, std::string name) {
    return {errorCode, operation, true, std::move(name)};
}

ErrorLine Unnamed(int errorCode, int operation) {
    return {errorCode, operation, false, {}};
}

std::vector<ErrorLine> ErrorsOf(CCountNode& node) {
    std::vector<ErrorLine> lines;
    if (node.FirstError() == 0) {
        return lines;
    }
    while (CountError* error = node.NextError()) {
        const char* name = error->objectName.get();
        lines.push_back(name != nullptr ? Named(error->errorCode, error->operation, name)
                                        : Unnamed(error->errorCode, error->operation));
    }
    return lines;
}

std::vector<CCountNode*> NodesOf(const LinkList& queue) {
    std::vector<CCountNode*> nodes;
    for (ListElement* e = ListFirst(&queue); e != nullptr; e = ListNext(e)) {
        nodes.push_back(AsNode(e));
    }
    return nodes;
}

std::vector<std::string> FullNames(const std::vector<CCountNode*>& nodes) {
    std::vector<std::string> names;
    for (const CCountNode* node : nodes) {
        names.emplace_back(node->fullName);
    }
    return names;
}

std::vector<DirCall> CallsOf(const InstrumentedDirectory& dir, DirOp op) {
    std::vector<DirCall> calls;
    for (const DirCall& call : dir.Calls()) {
        if (call.op == op) {
            calls.push_back(call);
        }
    }
    return calls;
}

std::vector<DirOp> OpsOf(const InstrumentedDirectory& dir) {
    std::vector<DirOp> ops;
    for (const DirCall& call : dir.Calls()) {
        ops.push_back(call.op);
    }
    return ops;
}

}  // namespace vantor::test
