#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/EngineFixture.h"

namespace vantor {
namespace {

using namespace test;
using namespace ::testing;

class CountNodeTest : public ::testing::Test {
  protected:
    std::unique_ptr<CCountNode> MakeNode(CountCallbacks callbacks = {}) {
        return std::make_unique<CCountNode>(client, 1, "Dev.acme", "Dev", &queue, nullptr, "User",
                                            true, std::move(callbacks));
    }
    MemoryDirectory dir;
    InstrumentedDirectory client{dir};
    LinkList queue{};
};

TEST_F(CountNodeTest, ErrorsComeBackInRecordedOrderAndFirstErrorStartsOver) {
    auto node = MakeNode();
    EXPECT_EQ(node->FirstError(), 0);
    EXPECT_EQ(node->NextError(), nullptr);

    char name[] = "QA.Dev.acme";
    node->AddError(-601, OP_SEARCH, name);
    node->AddError(-649, OP_ALLOC_BUF, nullptr);
    node->AddError(-634, OP_GET_OBJ_NAME, "Dev.acme");
    std::strcpy(name, "changed");   // the record holds its own copy
    EXPECT_EQ(node->hasErrors, 0);  // callers set it, AddError does not

    const auto expected =
        ElementsAre(Named(-601, OP_SEARCH, "QA.Dev.acme"), Unnamed(-649, OP_ALLOC_BUF),
                    Named(-634, OP_GET_OBJ_NAME, "Dev.acme"));
    EXPECT_THAT(ErrorsOf(*node), expected);
    EXPECT_EQ(node->NextError(), nullptr);
    ASSERT_EQ(node->FirstError(), 1);
    node->NextError();
    EXPECT_THAT(ErrorsOf(*node), expected);  // FirstError starts over from a half-read list
}

// Under the sanitizer build a record or name copy left behind fails the test as a leak.
TEST_F(CountNodeTest, DeletingANodeFreesEveryRecordAndNameCopy) {
    auto withErrors = MakeNode();
    for (int i = 0; i < 5; ++i) {
        withErrors->AddError(-601 - i, OP_SEARCH, i % 2 == 0 ? "Dev.acme" : nullptr);
    }
    ASSERT_EQ(withErrors->errors.count, 5);
    withErrors.reset();
    auto withoutErrors = MakeNode();
    withoutErrors.reset();
}

TEST_F(CountNodeTest, PollPumpsFirstThenAsksAndToleratesAbsentCallbacks) {
    std::string trace;
    int cancelled = 0;
    CountCallbacks both;
    both.pumpMessages = [&] {
        trace += "pump ";
        return 0;
    };
    both.isCancelled = [&] {
        trace += "ask ";
        return cancelled;
    };

    EXPECT_EQ(MakeNode()->Poll(), 0);

    auto node = MakeNode(both);
    EXPECT_EQ(node->Poll(), 0);
    cancelled = 7;  // any nonzero answer is a cancel
    EXPECT_EQ(node->Poll(), kCancelled);
    EXPECT_EQ(trace, "pump ask pump ask ");

    CountCallbacks askOnly;
    askOnly.isCancelled = [] { return 1; };
    EXPECT_EQ(MakeNode(askOnly)->Poll(), kCancelled);
    CountCallbacks pumpOnly;
    pumpOnly.pumpMessages = [&] {
        trace = "pumped";
        return 1;
    };
    EXPECT_EQ(MakeNode(pumpOnly)->Poll(), 0);
    EXPECT_EQ(trace, "pumped");
    EXPECT_THAT(client.Calls(), IsEmpty());
}

// Each error line keeps the cause of its own call, read when it failed: a later failure with
// another cause, or a later successful call, leaves it as it was.
TEST_F(CountNodeTest, EachErrorKeepsTheCauseOfItsOwnFailedCall) {
    dir.Path("Dev.acme");
    client.InjectFailure({DirOp::Search, -634, "Dev.acme"});
    const DirContext context = dir.OpenContext();
    CCountNode node(client, context, "Dev.acme", "Dev", &queue, nullptr, "User", false, {});
    node.CountObjects(nullptr);
    node.WalkContainers("Gone.acme");
    node.WalkContainers("Dev.acme");  // succeeds
    const std::string tooLong(kMaxNameChars + 1, 'x');
    node.CountObjects(tooLong.c_str());

    std::vector<std::pair<int, std::string>> causes;
    node.FirstError();
    while (const CountError* error = node.NextError()) {
        causes.emplace_back(error->errorCode, error->cause);
    }
    EXPECT_THAT(causes, ElementsAre(Pair(-634, "injected failure -634"),
                                    Pair(dirError::kObjectNotFound, HasSubstr("\"Gone.acme\"")),
                                    Pair(dirError::kNameTooLong, HasSubstr("256 characters"))));
}

TEST_F(CountNodeTest, ProcessDoesNotWalkACancelledCount) {
    test::WindowProbe probe;
    probe.CancelAtCheck(1);
    dir.Path("Lab.Dev.acme");
    const DirContext context = dir.OpenContext();
    CCountNode node(client, context, "Dev.acme", "Dev", &queue, nullptr, "User", false,
                    probe.Callbacks());
    EXPECT_EQ(node.Process(), kCancelled);
    EXPECT_THAT(test::CallsOf(client, DirOp::ListContainers), IsEmpty());
    EXPECT_EQ(queue.count, 0);
}

}  // namespace
}  // namespace vantor
