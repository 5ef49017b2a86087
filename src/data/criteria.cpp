#include "data/criteria.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "common/convert.h"
#include "common/error.h"
#include "common/utf8.h"
#include "data/recordset_data.h"

namespace briskal::data {

struct CriteriaNode {
  virtual ~CriteriaNode() = default;
  virtual bool eval(const RecordsetData& data, uint32_t row) const = 0;
};

namespace {

const RegionalSettings kEnglish = RegionalSettings::english();

[[noreturn]] void syntaxError(std::string_view text, size_t pos, std::string_view what) {
  throw Error(err::kInvalidArgument, "Recordset",
              "Invalid criteria: " + std::string(what) + " at position " + std::to_string(pos + 1) +
                  " in \"" + std::string(text) + "\"");
}

enum class Tok { Ident, Op, Like, And, Or, LParen, RParen, Text, Hash, Number, Null, True, False, End };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier, operator, literal content or number as written
  size_t pos = 0;
};

bool isWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }
bool isWordChar(char c) { return isWordStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token next() {
    while (i_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[i_]))) ++i_;
    Token t;
    t.pos = i_;
    if (i_ >= text_.size()) return t;
    const char c = text_[i_];
    if (c == '(') return ++i_, t.kind = Tok::LParen, t;
    if (c == ')') return ++i_, t.kind = Tok::RParen, t;
    if (c == '=' || c == '<' || c == '>' || c == '!') {
      size_t end = i_ + 1;
      if (end < text_.size() && (text_[end] == '=' || text_[end] == '>') && c != '=' && c != '!') ++end;
      t.text = std::string(text_.substr(i_, end - i_));
      if (c == '!' || (c == '>' && t.text == ">>")) syntaxError(text_, i_, "unknown operator");
      i_ = end;
      t.kind = Tok::Op;
      return t;
    }
    if (c == '\'') {
      t.kind = Tok::Text;
      for (++i_;; ++i_) {
        if (i_ >= text_.size()) syntaxError(text_, t.pos, "unterminated text");
        if (text_[i_] == '\'') {
          if (i_ + 1 < text_.size() && text_[i_ + 1] == '\'') {
            t.text += '\'';
            ++i_;
            continue;
          }
          ++i_;
          break;
        }
        t.text += text_[i_];
      }
      return t;
    }
    if (c == '#') return delimited(t, Tok::Hash, '#', "unterminated #value#");
    if (c == '[') return delimited(t, Tok::Ident, ']', "unterminated [name]");
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.' || c == '$') {
      size_t end = i_;
      if (text_[end] == '-' || text_[end] == '+') ++end;
      if (end < text_.size() && text_[end] == '$') ++end;
      while (end < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '.' ||
              ((text_[end] == '-' || text_[end] == '+') && (text_[end - 1] == 'e' || text_[end - 1] == 'E'))))
        ++end;
      t.kind = Tok::Number;
      t.text = std::string(text_.substr(i_, end - i_));
      std::erase(t.text, '$');
      i_ = end;
      return t;
    }
    if (isWordStart(c)) {
      size_t end = i_;
      while (end < text_.size() && isWordChar(text_[end])) ++end;
      t.text = std::string(text_.substr(i_, end - i_));
      i_ = end;
      if (utf8::equalsNoCase(t.text, "AND")) t.kind = Tok::And;
      else if (utf8::equalsNoCase(t.text, "OR")) t.kind = Tok::Or;
      else if (utf8::equalsNoCase(t.text, "LIKE")) t.kind = Tok::Like;
      else if (utf8::equalsNoCase(t.text, "NULL")) t.kind = Tok::Null;
      else if (utf8::equalsNoCase(t.text, "TRUE")) t.kind = Tok::True;
      else if (utf8::equalsNoCase(t.text, "FALSE")) t.kind = Tok::False;
      else t.kind = Tok::Ident;
      return t;
    }
    syntaxError(text_, i_, "unexpected character");
  }

 private:
  // A token whose text runs from after the opening character up to `close`.
  Token delimited(Token t, Tok kind, char close, std::string_view unterminated) {
    const size_t end = text_.find(close, i_ + 1);
    if (end == std::string_view::npos) syntaxError(text_, i_, unterminated);
    t.kind = kind;
    t.text = std::string(text_.substr(i_ + 1, end - i_ - 1));
    i_ = end + 1;
    return t;
  }

  std::string_view text_;
  size_t i_ = 0;
};

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

bool applyOp(Op op, int c) {
  switch (op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    case Op::Like: return c == 0;
  }
  return false;
}

template <typename T>
int cmp(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// A literal prepared for every kind of field it may meet.
struct Literal {
  enum class Kind { Null, Text, Number, Date, Bool } kind = Kind::Null;
  std::string text;               // text as written (numbers too)
  std::optional<Decimal> number;  // when the literal reads as a number
  double real = 0;
  std::optional<DateTime> date;
};

std::optional<int> compareNumber(const Value& cell, const Literal& lit) {
  if (!lit.number && lit.kind != Literal::Kind::Number) return std::nullopt;
  switch (cell.kind()) {
    case Value::Kind::Empty: return lit.number ? cmp(Decimal(), *lit.number) : cmp(0.0, lit.real);
    case Value::Kind::Bool:
      return lit.number ? cmp(Decimal(cell.asBool() ? -1 : 0), *lit.number)
                        : cmp(cell.asBool() ? -1.0 : 0.0, lit.real);
    case Value::Kind::Int16:
      return lit.number ? cmp(Decimal(cell.asInt16()), *lit.number) : cmp<double>(cell.asInt16(), lit.real);
    case Value::Kind::Int32:
      return lit.number ? cmp(Decimal(cell.asInt32()), *lit.number) : cmp<double>(cell.asInt32(), lit.real);
    case Value::Kind::Int64:
      return lit.number ? cmp(Decimal(cell.asInt64()), *lit.number)
                        : cmp(static_cast<double>(cell.asInt64()), lit.real);
    case Value::Kind::Double: return cmp(cell.asDouble(), lit.real);
    case Value::Kind::Decimal:
      return lit.number ? cmp(cell.asDecimal(), *lit.number) : cmp(cell.asDecimal().toDouble(), lit.real);
    case Value::Kind::Text: {
      const auto parsed = Decimal::parse(cell.asText());
      if (!parsed || !lit.number) return std::nullopt;
      return cmp(*parsed, *lit.number);
    }
    default: return std::nullopt;
  }
}

class ClauseNode final : public CriteriaNode {
 public:
  enum class Mode { Text, Number, Date, Bool, Variant, NullTest };

  ClauseNode(size_t column, Op op, Mode mode, Literal lit)
      : column_(column), op_(op), mode_(mode), lit_(std::move(lit)) {
    if (op_ == Op::Like) preparePattern();
  }

  bool eval(const RecordsetData& data, uint32_t row) const override {
    const Value cell = data.value(row, column_);
    if (mode_ == Mode::NullTest) return (op_ == Op::Eq) == cell.isNull();
    if (cell.isNull()) return false;
    if (op_ == Op::Like) return like(cell);
    const std::optional<int> c = compare(cell);
    return c && applyOp(op_, *c);
  }

 private:
  std::optional<int> compare(const Value& cell) const {
    switch (mode_) {
      case Mode::Text: return compareText(cell);
      case Mode::Number: return compareNumber(cell, lit_);
      case Mode::Date:
        if (cell.isDate() && lit_.date) return cmp(cell.asDate(), *lit_.date);
        return std::nullopt;
      case Mode::Bool: return compareNumber(cell, lit_);  // True is -1, False 0
      case Mode::Variant:
        if (cell.isText() || cell.isEmpty()) return compareText(cell);
        if (cell.isDate()) return lit_.date ? std::optional(cmp(cell.asDate(), *lit_.date)) : std::nullopt;
        return compareNumber(cell, lit_);
      case Mode::NullTest: break;
    }
    return std::nullopt;
  }

  std::optional<int> compareText(const Value& cell) const {
    if (cell.isEmpty()) return utf8::compareNoCase("", lit_.text);
    if (cell.isText()) return utf8::compareNoCase(cell.asText(), lit_.text);
    return utf8::compareNoCase(toText(cell, kEnglish), lit_.text);
  }

  void preparePattern() {
    std::string p = lit_.text;
    std::replace(p.begin(), p.end(), '%', '*');
    leading_ = !p.empty() && p.front() == '*';
    trailing_ = p.size() > (leading_ ? 1u : 0u) && p.back() == '*';
    std::string core = p.substr(leading_ ? 1 : 0);
    if (trailing_) core.pop_back();
    pattern_ = utf8::foldCase(core);
  }

  bool like(const Value& cell) const {
    const std::string folded = utf8::foldCase(cell.isText() ? cell.asText() : toText(cell, kEnglish));
    if (leading_ && trailing_) return folded.find(pattern_) != std::string::npos;
    if (trailing_) return folded.compare(0, pattern_.size(), pattern_) == 0;
    if (leading_)
      return folded.size() >= pattern_.size() &&
             folded.compare(folded.size() - pattern_.size(), pattern_.size(), pattern_) == 0;
    return folded == pattern_;
  }

  size_t column_;
  Op op_;
  Mode mode_;
  Literal lit_;
  bool leading_ = false, trailing_ = false;
  std::string pattern_;
};

class GroupNode final : public CriteriaNode {
 public:
  std::vector<std::unique_ptr<CriteriaNode>> terms;
  std::vector<bool> joinedByAnd;  // joinedByAnd[i] joins terms[i] and terms[i + 1]
  std::vector<bool> isOrGroup;    // terms[i] is a parenthesised group containing OR

  bool containsOr() const {
    return std::find(joinedByAnd.begin(), joinedByAnd.end(), false) != joinedByAnd.end();
  }

  bool eval(const RecordsetData& data, uint32_t row) const override {
    bool result = terms[0]->eval(data, row);
    for (size_t i = 1; i < terms.size(); ++i) {
      if (joinedByAnd[i - 1]) result = result && terms[i]->eval(data, row);
      else result = result || terms[i]->eval(data, row);
    }
    return result;
  }
};

// [+|-]digits[.digits][e[+|-]digits]: a number as the grammar writes it, the lexer having taken
// out its '$'. Hexadecimal, infinities and a bare point are not numbers of the grammar.
bool isGrammarNumber(std::string_view t) {
  size_t i = 0;
  const auto digits = [&] {
    const size_t start = i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
    return i > start;
  };
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  if (!digits()) return false;
  if (i < t.size() && t[i] == '.' && (++i, !digits())) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == t.size();
}

// Deeper parentheses are no filter anyone writes; each level is a recursion of the parser.
constexpr int kMaxNesting = 100;

class Parser {
 public:
  Parser(std::string_view text, const std::vector<Field>& fields, const FieldIndex& index,
         const RegionalSettings& rs, bool single)
      : text_(text), lexer_(text), fields_(fields), index_(index), rs_(rs), single_(single) {
    advance();
  }

  std::unique_ptr<CriteriaNode> parse() {
    if (tok_.kind == Tok::End) syntaxError(text_, tok_.pos, "empty criteria");
    auto root = parseGroup(false);
    if (tok_.kind != Tok::End) syntaxError(text_, tok_.pos, "unexpected '" + tokenText() + "'");
    return root;
  }

 private:
  void advance() { tok_ = lexer_.next(); }
  std::string tokenText() const {
    return tok_.kind == Tok::End ? "end" : tok_.text.empty() ? std::string(1, text_[tok_.pos]) : tok_.text;
  }

  std::unique_ptr<CriteriaNode> parseGroup(bool nested) {
    auto group = std::make_unique<GroupNode>();
    for (;;) {
      bool orGroup = false;
      if (tok_.kind == Tok::LParen) {
        if (single_) syntaxError(text_, tok_.pos, "Find takes a single clause");
        if (++depth_ > kMaxNesting)
          syntaxError(text_, tok_.pos,
                      "parentheses nested more than " + std::to_string(kMaxNesting) + " deep");
        advance();
        auto inner = parseGroup(true);
        --depth_;
        if (tok_.kind != Tok::RParen) syntaxError(text_, tok_.pos, "')' expected");
        advance();
        orGroup = static_cast<GroupNode*>(inner.get())->containsOr();
        group->terms.push_back(std::move(inner));
      } else {
        group->terms.push_back(parseClause());
      }
      group->isOrGroup.push_back(orGroup);
      if (tok_.kind != Tok::And && tok_.kind != Tok::Or) break;
      if (single_) syntaxError(text_, tok_.pos, "Find takes a single clause");
      group->joinedByAnd.push_back(tok_.kind == Tok::And);
      advance();
    }
    if (nested && tok_.kind != Tok::RParen) syntaxError(text_, tok_.pos, "')' expected");
    for (size_t i = 0; i < group->terms.size(); ++i) {
      const bool andBefore = i > 0 && group->joinedByAnd[i - 1];
      const bool andAfter = i + 1 < group->terms.size() && group->joinedByAnd[i];
      if (group->isOrGroup[i] && (andBefore || andAfter))
        syntaxError(text_, 0,
                    "a parenthesised OR group cannot be joined by AND (distribute the AND instead)");
    }
    if (group->terms.size() == 1 && !nested) return std::move(group->terms[0]);
    return group;
  }

  std::unique_ptr<CriteriaNode> parseClause() {
    if (tok_.kind != Tok::Ident)
      syntaxError(text_, tok_.pos, "field name expected, found '" + tokenText() + "'");
    const int column = index_.find(tok_.text);
    if (column < 0)
      throw Error(err::kItemNotFound, "Recordset",
                  "Item cannot be found in the collection: unknown field '" + tok_.text + "' in \"" +
                      std::string(text_) + "\"");
    advance();
    Op op;
    if (tok_.kind == Tok::Like) {
      op = Op::Like;
    } else if (tok_.kind == Tok::Op) {
      static const std::pair<const char*, Op> kOps[] = {{"=", Op::Eq}, {"<>", Op::Ne}, {"<", Op::Lt},
                                                        {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge}};
      auto it = std::find_if(std::begin(kOps), std::end(kOps), [&](auto& p) { return tok_.text == p.first; });
      if (it == std::end(kOps)) syntaxError(text_, tok_.pos, "unknown operator '" + tok_.text + "'");
      op = it->second;
    } else {
      syntaxError(text_, tok_.pos, "operator expected, found '" + tokenText() + "'");
    }
    advance();
    const size_t valuePos = tok_.pos;
    Literal lit = parseLiteral();
    const Field& field = fields_[static_cast<size_t>(column)];
    ClauseNode::Mode mode = modeFor(field.type);
    if (lit.kind == Literal::Kind::Null) {
      if (op != Op::Eq && op != Op::Ne)
        syntaxError(text_, valuePos, "Null can only be compared with = or <>");
      mode = ClauseNode::Mode::NullTest;
    } else if (op == Op::Like) {
      if (lit.kind != Literal::Kind::Text) syntaxError(text_, valuePos, "LIKE needs a quoted pattern");
      checkPattern(lit.text, valuePos);
    } else {
      checkLiteralFits(mode, lit, field, valuePos);
    }
    return std::make_unique<ClauseNode>(static_cast<size_t>(column), op, mode, std::move(lit));
  }

  Literal parseLiteral() {
    Literal lit;
    lit.text = tok_.text;
    switch (tok_.kind) {
      case Tok::Null: lit.kind = Literal::Kind::Null; break;
      case Tok::True:
      case Tok::False:
        lit.kind = Literal::Kind::Bool;
        lit.number = Decimal(tok_.kind == Tok::True ? -1 : 0);
        lit.real = tok_.kind == Tok::True ? -1 : 0;
        break;
      case Tok::Number: {
        lit.kind = Literal::Kind::Number;
        if (!isGrammarNumber(tok_.text)) syntaxError(text_, tok_.pos, "malformed number '" + tok_.text + "'");
        try {
          lit.number = Decimal::parse(tok_.text);
        } catch (const Error&) {
          lit.number.reset();
        }
        char* end = nullptr;
        lit.real = std::strtod(tok_.text.c_str(), &end);
        if (end == tok_.text.c_str() || *end != '\0')
          syntaxError(text_, tok_.pos, "malformed number '" + tok_.text + "'");
        break;
      }
      case Tok::Hash: {
        lit.date = parseDate(tok_.text, kEnglish);
        lit.kind = lit.date ? Literal::Kind::Date : Literal::Kind::Text;
        break;
      }
      case Tok::Text:
        lit.kind = Literal::Kind::Text;
        lit.number = parseQuotedNumber(tok_.text);
        if (lit.number) lit.real = lit.number->toDouble();
        lit.date = parseDate(tok_.text, rs_);
        break;
      default: syntaxError(text_, tok_.pos, "value expected, found '" + tokenText() + "'");
    }
    advance();
    return lit;
  }

  static std::optional<Decimal> parseQuotedNumber(const std::string& text) {
    try {
      return Decimal::parse(text);
    } catch (const Error&) {
      return std::nullopt;
    }
  }

  static ClauseNode::Mode modeFor(FieldType type) {
    if (isTextType(type)) return ClauseNode::Mode::Text;
    if (isNumericType(type)) return ClauseNode::Mode::Number;
    if (isDateType(type)) return ClauseNode::Mode::Date;
    if (type == FieldType::Boolean) return ClauseNode::Mode::Bool;
    return ClauseNode::Mode::Variant;
  }

  void checkLiteralFits(ClauseNode::Mode mode, Literal& lit, const Field& field, size_t pos) const {
    if (mode == ClauseNode::Mode::Bool && lit.kind == Literal::Kind::Text) {
      if (utf8::equalsNoCase(lit.text, "true")) lit.number = Decimal(-1);
      else if (utf8::equalsNoCase(lit.text, "false")) lit.number = Decimal(0);
    }
    if (mode == ClauseNode::Mode::Bool && !lit.number)
      syntaxError(text_, pos, "'" + lit.text + "' is not a Boolean for field " + field.name);
    if (mode == ClauseNode::Mode::Number && !lit.number && lit.kind != Literal::Kind::Number)
      syntaxError(text_, pos, "'" + lit.text + "' is not a number for field " + field.name);
    if (mode == ClauseNode::Mode::Date && !lit.date)
      syntaxError(text_, pos, "'" + lit.text + "' is not a date for field " + field.name);
  }

  void checkPattern(const std::string& pattern, size_t pos) const {
    std::string p = pattern;
    std::replace(p.begin(), p.end(), '%', '*');
    const size_t first = p.find('*');
    if (first == std::string::npos) return;
    const bool leading = first == 0;
    const std::string_view inner = std::string_view(p).substr(leading ? 1 : 0);
    const size_t next = inner.find('*');
    if (next == std::string_view::npos) {
      if (leading && !inner.empty())
        syntaxError(text_, pos, "a LIKE pattern may not start with a wildcard alone");
      return;
    }
    if (next != inner.size() - 1)
      syntaxError(text_, pos, "a LIKE wildcard may only stand at the end or at both ends");
  }

  std::string_view text_;
  Lexer lexer_;
  int depth_ = 0;
  Token tok_;
  const std::vector<Field>& fields_;
  const FieldIndex& index_;
  const RegionalSettings& rs_;
  bool single_;
};

}  // namespace

Criteria::Criteria(std::unique_ptr<CriteriaNode> root) : root_(std::move(root)) {}
Criteria::Criteria(Criteria&&) noexcept = default;
Criteria& Criteria::operator=(Criteria&&) noexcept = default;
Criteria::~Criteria() = default;

Criteria Criteria::parse(std::string_view text, const std::vector<Field>& fields, const FieldIndex& index,
                         const RegionalSettings& rs, bool singleClause) {
  return Criteria(Parser(text, fields, index, rs, singleClause).parse());
}

bool Criteria::matches(const RecordsetData& data, uint32_t row) const { return root_->eval(data, row); }

void FieldIndex::add(std::string_view name, size_t position) {
  std::string folded = utf8::foldCase(name);
  // After any equal name, so that a duplicate name finds the first field that carries it.
  auto it = std::upper_bound(entries_.begin(), entries_.end(), folded,
                             [](const std::string& key, const auto& e) { return key < e.first; });
  entries_.insert(it, {std::move(folded), position});
}

int FieldIndex::find(std::string_view name) const {
  // Folds as it compares: field lookups by name sit in every loop over rows, so no allocation.
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name, [](const auto& e, std::string_view key) {
    return utf8::compareNoCase(e.first, key) < 0;
  });
  return it != entries_.end() && utf8::equalsNoCase(it->first, name) ? static_cast<int>(it->second) : -1;
}

int compareForSort(const Value& a, const Value& b) {
  auto rank = [](const Value& v) {
    if (v.isNull() || v.isEmpty()) return 0;
    if (v.isNumber()) return 1;
    if (v.isDate()) return 2;
    return 3;
  };
  const int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 0: return 0;
    case 1: {
      if (a.kind() == Value::Kind::Double || b.kind() == Value::Kind::Double)
        return cmp(toDouble(a, kEnglish), toDouble(b, kEnglish));
      return cmp(toDecimal(a, kEnglish), toDecimal(b, kEnglish));
    }
    case 2: return cmp(a.asDate(), b.asDate());
    default: return utf8::compareNoCase(a.asText(), b.asText());
  }
}

}  // namespace briskal::data
