#include "directory/filter/ObjectFilter.h"

#include <algorithm>
#include <optional>

#include "directory/dn/AttributeTypes.h"
#include "directory/dn/ValueFold.h"

namespace vantor {

struct ObjectFilter::Node {
    enum class Kind {
        kAnd,
        kOr,
        kNot,
        kEqual,
        kGreaterOrEqual,
        kLessOrEqual,
        kPresent,
        kSubstrings
    };
    Kind kind = Kind::kAnd;
    std::vector<std::unique_ptr<Node>> children;  // and, or, not
    std::string type;                             // canonical attribute type of an item
    std::string value;                            // folded assertion value (raw for ordering)
    std::vector<std::string> pieces;              // substrings: initial, any..., final (folded)
};

namespace {

using Node = ObjectFilter::Node;
using Kind = Node::Kind;

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Recursive descent over the filter grammar. The first failure is kept with its position and
// ends the parse: every step returns null or false after it.
class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::unique_ptr<Node> Whole() {
        auto node = Filter();
        if (node && at_ != text_.size()) {
            Fail("text after the end of the filter");
            return nullptr;
        }
        return node;
    }

    std::string Error() const { return error_; }

  private:
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    bool AtEnd() const { return at_ >= text_.size(); }

    bool Fail(const std::string& what) {
        if (error_.empty()) {
            error_ = "position " + std::to_string(at_ + 1) + ": " + what;
        }
        return false;
    }

    bool Expect(char c) {
        if (AtEnd() || text_[at_] != c) {
            return Fail(AtEnd() ? std::string("the filter ends where '") + c + "' is expected"
                                : std::string("expected '") + c + "'");
        }
        ++at_;
        return true;
    }

    std::unique_ptr<Node> Filter() {
        if (!Expect('(')) {
            return nullptr;
        }
        auto node = std::make_unique<Node>();
        bool good = true;
        switch (Peek()) {
            case '&':
            case '|':
                node->kind = Peek() == '&' ? Kind::kAnd : Kind::kOr;
                ++at_;
                while (good && Peek() == '(') {
                    auto child = Filter();
                    good = child != nullptr;
                    node->children.push_back(std::move(child));
                }
                break;
            case '!': {
                node->kind = Kind::kNot;
                ++at_;
                auto child = Filter();
                good = child != nullptr;
                node->children.push_back(std::move(child));
                break;
            }
            default:
                good = Item(*node);
        }
        return good && Expect(')') ? std::move(node) : nullptr;
    }

    bool Item(Node& node) {
        if (!AttributeType(node.type)) {
            return false;
        }
        switch (Peek()) {
            case ':':
                return Fail("extensible matches (:=) are not supported");
            case '~':
                return Fail("approximate matches (~=) are not supported");
            case '>':
            case '<': {
                node.kind = Peek() == '>' ? Kind::kGreaterOrEqual : Kind::kLessOrEqual;
                ++at_;
                std::vector<std::string> value;
                if (!Expect('=') || !Value(false, value)) {
                    return false;
                }
                node.value = value.front();  // compared raw: numbers stay numbers
                return true;
            }
            case '=':
                ++at_;
                break;
            default:
                return Fail(AtEnd() ? "the filter ends inside an item"
                                    : "expected '=', '>=' or '<=' after the attribute type");
        }
        if (Peek() == '*' && at_ + 1 < text_.size() && text_[at_ + 1] == ')') {
            ++at_;
            node.kind = Kind::kPresent;
            return true;
        }
        std::vector<std::string> pieces;
        if (!Value(true, pieces)) {
            return false;
        }
        if (pieces.size() == 1) {
            node.kind = Kind::kEqual;
            node.value = FoldValue(pieces.front());
            return true;
        }
        node.kind = Kind::kSubstrings;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            // Empty pieces between stars add nothing; the first and last stay, empty or not.
            if (!pieces[i].empty() || i == 0 || i + 1 == pieces.size()) {
                node.pieces.push_back(pieces[i].empty() ? std::string() : FoldValue(pieces[i]));
            }
        }
        return true;
    }

    bool AttributeType(std::string& type) {
        const std::size_t start = at_;
        if (IsAlpha(Peek())) {
            while (IsAlpha(Peek()) || IsDigit(Peek()) || Peek() == '-') {
                ++at_;
            }
        } else if (IsDigit(Peek())) {
            while (IsDigit(Peek()) || Peek() == '.') {
                ++at_;
            }
        } else {
            return Fail("expected an attribute type");
        }
        if (Peek() == ';') {
            return Fail("attribute options (;...) are not supported");
        }
        type = CanonicalType(text_.substr(start, at_ - start));
        return true;
    }

    // The assertion value up to the closing parenthesis, unescaped; split at unescaped stars
    // when they are allowed.
    bool Value(bool starsAllowed, std::vector<std::string>& pieces) {
        pieces.assign(1, std::string());
        while (!AtEnd() && Peek() != ')') {
            const char c = text_[at_];
            if (c == '(') {
                return Fail("'(' inside a value must be written \\28");
            }
            if (c == '*') {
                if (!starsAllowed) {
                    return Fail("'*' inside this value must be written \\2a");
                }
                pieces.emplace_back();
                ++at_;
                continue;
            }
            if (c == '\\') {
                const int high = at_ + 1 < text_.size() ? HexDigit(text_[at_ + 1]) : -1;
                const int low = at_ + 2 < text_.size() ? HexDigit(text_[at_ + 2]) : -1;
                if (high < 0 || low < 0) {
                    return Fail("'\\' must be followed by two hexadecimal digits");
                }
                pieces.back() += static_cast<char>(high * 16 + low);
                at_ += 3;
                continue;
            }
            pieces.back() += c;
            ++at_;
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

std::optional<std::string_view> Integer(std::string_view text) {
    const std::size_t digits = !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.size() == digits ||
        !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(), IsDigit)) {
        return std::nullopt;
    }
    return text;
}

// <0, 0, >0 as a is below, equal to or above b, both integers.
int CompareIntegers(std::string_view a, std::string_view b) {
    const bool negativeA = a.front() == '-';
    const bool negativeB = b.front() == '-';
    auto magnitude = [](std::string_view n) {
        n.remove_prefix(n.front() == '-' ? 1 : 0);
        const std::size_t first = std::min(n.find_first_not_of('0'), n.size());
        return n.substr(first);
    };
    const std::string_view ma = magnitude(a);
    const std::string_view mb = magnitude(b);
    if (ma.empty() && mb.empty()) {
        return 0;
    }
    if (negativeA != negativeB) {
        return negativeA ? -1 : 1;
    }
    int order = ma.size() != mb.size() ? (ma.size() < mb.size() ? -1 : 1) : ma.compare(mb);
    order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    return negativeA ? -order : order;
}

int CompareValues(std::string_view value, std::string_view assertion) {
    if (Integer(value) && Integer(assertion)) {
        return CompareIntegers(value, assertion);
    }
    const int order = FoldValue(value).compare(FoldValue(assertion));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool MatchesPieces(const std::string& folded, const std::vector<std::string>& pieces) {
    const std::string& initial = pieces.front();
    const std::string& last = pieces.back();
    if (folded.size() < initial.size() + last.size() ||
        folded.compare(0, initial.size(), initial) != 0 ||
        folded.compare(folded.size() - last.size(), last.size(), last) != 0) {
        return false;
    }
    std::size_t at = initial.size();
    const std::size_t end = folded.size() - last.size();
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        const std::size_t found = folded.find(pieces[i], at);
        if (found == std::string::npos || found + pieces[i].size() > end) {
            return false;
        }
        at = found + pieces[i].size();
    }
    return true;
}

class Evaluator {
  public:
    explicit Evaluator(const std::vector<FilterAttribute>& attributes) : attributes_(attributes) {}

    bool Eval(const Node& node) {
        switch (node.kind) {
            case Kind::kAnd:
                return std::all_of(node.children.begin(), node.children.end(),
                                   [this](const auto& child) { return Eval(*child); });
            case Kind::kOr:
                return std::any_of(node.children.begin(), node.children.end(),
                                   [this](const auto& child) { return Eval(*child); });
            case Kind::kNot:
                return !Eval(*node.children.front());
            default:
                return AnyValue(node);
        }
    }

  private:
    bool AnyValue(const Node& item) {
        for (std::size_t i = 0; i < attributes_.size(); ++i) {
            if (TypeOf(i) == item.type && ValueMatches(item, attributes_[i].value)) {
                return true;
            }
        }
        return false;
    }

    static bool ValueMatches(const Node& item, std::string_view value) {
        switch (item.kind) {
            case Kind::kPresent:
                return true;
            case Kind::kEqual:
                return FoldValue(value) == item.value;
            case Kind::kGreaterOrEqual:
                return CompareValues(value, item.value) >= 0;
            case Kind::kLessOrEqual:
                return CompareValues(value, item.value) <= 0;
            default:
                return MatchesPieces(FoldValue(value), item.pieces);
        }
    }

    // The canonical type of attribute i, worked out once per evaluation.
    const std::string& TypeOf(std::size_t i) {
        if (types_.empty()) {
            types_.reserve(attributes_.size());
            for (const FilterAttribute& attribute : attributes_) {
                types_.push_back(CanonicalType(attribute.type));
            }
        }
        return types_[i];
    }

    const std::vector<FilterAttribute>& attributes_;
    std::vector<std::string> types_;
};

}  // namespace

std::variant<ObjectFilter, std::string> ObjectFilter::Parse(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    const std::string_view trimmed =
        first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
    if (trimmed.empty()) {
        return std::string("the filter is empty");
    }
    Parser parser(trimmed);
    std::unique_ptr<Node> root = parser.Whole();
    if (!root) {
        return parser.Error();
    }
    return ObjectFilter(std::string(trimmed), std::move(root));
}

ObjectFilter::ObjectFilter(std::string text, std::unique_ptr<Node> root)
    : text_(std::move(text)), root_(std::move(root)) {}
ObjectFilter::ObjectFilter(ObjectFilter&&) noexcept = default;
ObjectFilter& ObjectFilter::operator=(ObjectFilter&&) noexcept = default;
ObjectFilter::~ObjectFilter() = default;

bool ObjectFilter::Matches(const std::vector<FilterAttribute>& attributes) const {
    return Evaluator(attributes).Eval(*root_);
}

}  // namespace vantor
