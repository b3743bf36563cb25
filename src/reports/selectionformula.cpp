#include "reports/selectionformula.h"

#include "base/numbers.h"

#include <algorithm>
#include <cmath>

namespace vok {

ReportError::ReportError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

namespace formula {

Value Value::fromVariant(const QVariant &variant)
{
    if (variant.isNull() || !variant.isValid())
        return null();
    switch (variant.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return of(variant.toDouble());
    default:
        return of(variant.toString());
    }
}

double Value::toNumber() const
{
    if (kind == Kind::Number)
        return number;
    if (kind == Kind::Text && isNumber(text))
        return text.trimmed().toDouble();
    return 0;
}

bool Value::truth() const
{
    if (kind == Kind::Number)
        return number != 0;
    if (kind == Kind::Text)
        return !text.isEmpty();
    return false;
}

namespace {

struct Token {
    enum class Kind { End, Number, Text, Field, Parameter, Word, Op, LParen, RParen, Comma };
    Kind kind = Kind::End;
    QString text;   // word (lower case), operator, text literal, field or parameter body
    double number = 0;
    int position = 0;
};

const QStringList knownFunctions = {
    QStringLiteral("sum"), QStringLiteral("count"), QStringLiteral("min"), QStringLiteral("max"),
    QStringLiteral("avg"), QStringLiteral("first"), QStringLiteral("last"), QStringLiteral("iif"),
    QStringLiteral("abs"), QStringLiteral("round"),
};
const QStringList aggregateFunctions = {
    QStringLiteral("sum"), QStringLiteral("count"), QStringLiteral("min"), QStringLiteral("max"),
    QStringLiteral("avg"), QStringLiteral("first"), QStringLiteral("last"),
};

class Parser {
public:
    Parser(const QString &text, const Scope &scope, const QString &where)
        : m_text(text)
        , m_scope(scope)
        , m_where(where)
    {
    }

    NodePtr run()
    {
        tokenize();
        if (peek().kind == Token::Kind::End)
            fail(QStringLiteral("formula este goala"), 1);
        NodePtr node = parseOr();
        if (peek().kind != Token::Kind::End)
            fail(QStringLiteral("se asteapta and, or sau sfarsitul formulei in loc de \"%1\"").arg(describe(peek())),
                 peek().position);
        return node;
    }

private:
    [[noreturn]] void fail(const QString &what, int position) const
    {
        // A piece of a long text quoted whole would bury the message: the
        // position names the place.
        const QString shown = what.size() > 160 ? what.left(120) + QStringLiteral("...") + what.right(30) : what;
        throw ReportError(QStringLiteral("%1: %2 (pozitia %3)").arg(m_where, shown).arg(position));
    }

    static QString describe(const Token &t)
    {
        switch (t.kind) {
        case Token::Kind::Field:
            return u'{' + t.text + u'}';
        case Token::Kind::Parameter:
            return QStringLiteral("{@") + t.text + u'}';
        case Token::Kind::Text:
            return u'\'' + t.text + u'\'';
        case Token::Kind::Number:
            return doubleText(t.number);
        case Token::Kind::End:
            return QStringLiteral("sfarsitul formulei");
        default:
            return t.text;
        }
    }

    void tokenize()
    {
        const int n = int(m_text.size());
        int i = 0;
        while (true) {
            while (i < n && m_text[i].isSpace())
                ++i;
            Token t;
            t.position = i + 1;
            if (i >= n) {
                m_tokens.push_back(t);
                return;
            }
            const QChar c = m_text[i];
            if (c == u'{') {
                const int close = int(m_text.indexOf(u'}', i + 1));
                if (close < 0)
                    fail(QStringLiteral("lipseste acolada inchisa }"), i + 1);
                QString body = m_text.mid(i + 1, close - i - 1).trimmed();
                if (body.startsWith(u'@')) {
                    t.kind = Token::Kind::Parameter;
                    t.text = body.mid(1).trimmed();
                } else {
                    t.kind = Token::Kind::Field;
                    t.text = body;
                }
                i = close + 1;
            } else if (c == u'\'' || c == u'"') {
                // A quoted text; the quote doubled stands for itself.
                QString value;
                int j = i + 1;
                bool closed = false;
                while (j < n) {
                    if (m_text[j] == c) {
                        if (j + 1 < n && m_text[j + 1] == c) {
                            value.append(c);
                            j += 2;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    value.append(m_text[j++]);
                }
                if (!closed)
                    fail(QStringLiteral("text neterminat, lipseste ghilimeaua de inchidere"), i + 1);
                t.kind = Token::Kind::Text;
                t.text = value;
                i = j + 1;
            } else if (c.isDigit() || (c == u'.' && i + 1 < n && m_text[i + 1].isDigit())) {
                int j = i;
                bool point = false;
                while (j < n && (m_text[j].isDigit() || (m_text[j] == u'.' && !point))) {
                    if (m_text[j] == u'.')
                        point = true;
                    ++j;
                }
                t.kind = Token::Kind::Number;
                t.number = m_text.mid(i, j - i).toDouble();
                if (!std::isfinite(t.number))
                    fail(QStringLiteral("numar prea mare"), t.position);
                i = j;
                if (i < n && (m_text[i].isLetter() || m_text[i] == u'_'))
                    fail(QStringLiteral("numar gresit \"%1\"").arg(m_text.mid(t.position - 1, i - t.position + 2)),
                         t.position);
            } else if (c.isLetter() || c == u'_') {
                int j = i;
                while (j < n && (m_text[j].isLetterOrNumber() || m_text[j] == u'_'))
                    ++j;
                t.kind = Token::Kind::Word;
                t.text = m_text.mid(i, j - i).toLower();
                i = j;
            } else if (c == u'(') {
                t.kind = Token::Kind::LParen;
                t.text = c;
                ++i;
            } else if (c == u')') {
                t.kind = Token::Kind::RParen;
                t.text = c;
                ++i;
            } else if (c == u',') {
                t.kind = Token::Kind::Comma;
                t.text = c;
                ++i;
            } else if (c == u'<' || c == u'>') {
                t.kind = Token::Kind::Op;
                t.text = c;
                ++i;
                if (i < n && (m_text[i] == u'=' || (c == u'<' && m_text[i] == u'>')))
                    t.text.append(m_text[i++]);
            } else if (c == u'=' || c == u'+' || c == u'-' || c == u'*' || c == u'/') {
                t.kind = Token::Kind::Op;
                t.text = c;
                ++i;
            } else {
                fail(QStringLiteral("caracter nepermis \"%1\"").arg(c), i + 1);
            }
            m_tokens.push_back(t);
        }
    }

    const Token &peek() const { return m_tokens[m_pos]; }
    Token next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }
    bool isWord(const char *word) const
    {
        return peek().kind == Token::Kind::Word && peek().text == QLatin1String(word);
    }
    bool isOp(const char *op) const
    {
        return peek().kind == Token::Kind::Op && peek().text == QLatin1String(op);
    }

    // Formulas are read, written as SQL, evaluated and freed by recursion:
    // a tree too deep for the stack is refused here, as is nesting too deep
    // for the parser's own recursion.
    static constexpr int maxNesting = 100;
    static constexpr int maxHeight = 64;

    struct Nesting {
        Parser &parser;
        Nesting(Parser &p, int position)
            : parser(p)
        {
            if (++parser.m_nesting > maxNesting)
                parser.fail(QStringLiteral("formula are prea multe niveluri unul in altul"), position);
        }
        ~Nesting() { --parser.m_nesting; }
    };

    // The node, once its height (counted over its arguments) is known to be bearable.
    NodePtr measured(std::shared_ptr<Node> node)
    {
        int height = 1;
        for (const NodePtr &arg : node->args)
            height = std::max(height, m_heights.value(arg.get(), 1) + 1);
        if (height > maxHeight)
            fail(QStringLiteral("formula este prea lunga"), node->position);
        if (height > 1)
            m_heights.insert(node.get(), height);
        return node;
    }

    NodePtr binary(Node::Op op, NodePtr left, NodePtr right, int position)
    {
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::Binary;
        node->op = op;
        node->position = position;
        node->args = {std::move(left), std::move(right)};
        return measured(node);
    }

    NodePtr parseOr()
    {
        const Nesting nesting(*this, peek().position);
        NodePtr left = parseAnd();
        while (isWord("or")) {
            const int position = next().position;
            left = binary(Node::Op::Or, left, parseAnd(), position);
        }
        return left;
    }

    NodePtr parseAnd()
    {
        NodePtr left = parseNot();
        while (isWord("and")) {
            const int position = next().position;
            left = binary(Node::Op::And, left, parseNot(), position);
        }
        return left;
    }

    NodePtr parseNot()
    {
        if (isWord("not")) {
            const Nesting nesting(*this, peek().position);
            auto node = std::make_shared<Node>();
            node->kind = Node::Kind::Not;
            node->position = next().position;
            node->args = {parseNot()};
            return measured(node);
        }
        return parseComparison();
    }

    NodePtr parseComparison()
    {
        NodePtr left = parseSum();
        static const QHash<QString, Node::Op> ops = {
            {QStringLiteral("="), Node::Op::Eq},  {QStringLiteral("<>"), Node::Op::Ne},
            {QStringLiteral("<"), Node::Op::Lt},  {QStringLiteral(">"), Node::Op::Gt},
            {QStringLiteral("<="), Node::Op::Le}, {QStringLiteral(">="), Node::Op::Ge},
        };
        if (peek().kind == Token::Kind::Op && ops.contains(peek().text)) {
            const Token t = next();
            left = binary(ops.value(t.text), left, parseSum(), t.position);
        }
        return left;
    }

    NodePtr parseSum()
    {
        NodePtr left = parseProduct();
        while (isOp("+") || isOp("-")) {
            const Token t = next();
            left = binary(t.text == u'+' ? Node::Op::Add : Node::Op::Sub, left, parseProduct(), t.position);
        }
        return left;
    }

    NodePtr parseProduct()
    {
        NodePtr left = parseUnary();
        while (isOp("*") || isOp("/")) {
            const Token t = next();
            left = binary(t.text == u'*' ? Node::Op::Mul : Node::Op::Div, left, parseUnary(), t.position);
        }
        return left;
    }

    NodePtr parseUnary()
    {
        if (isOp("-") || isOp("+")) {
            const Nesting nesting(*this, peek().position);
            const Token t = next();
            NodePtr operand = parseUnary();
            if (t.text == u'+')
                return operand;
            if (operand->kind == Node::Kind::Number) {
                auto negated = std::make_shared<Node>(*operand);
                negated->number = -operand->number;
                negated->position = t.position;
                return negated;
            }
            auto node = std::make_shared<Node>();
            node->kind = Node::Kind::Negate;
            node->position = t.position;
            node->args = {operand};
            return measured(node);
        }
        return parsePrimary();
    }

    NodePtr parsePrimary()
    {
        const Token t = next();
        auto node = std::make_shared<Node>();
        node->position = t.position;
        switch (t.kind) {
        case Token::Kind::Number:
            node->kind = Node::Kind::Number;
            node->number = t.number;
            return node;
        case Token::Kind::Text:
            node->kind = Node::Kind::Text;
            node->text = t.text;
            return node;
        case Token::Kind::Field:
            resolveField(*node, t);
            return node;
        case Token::Kind::Parameter: {
            QString canonical;
            for (const QString &p : m_scope.parameters)
                if (p.compare(t.text, Qt::CaseInsensitive) == 0)
                    canonical = p;
            if (canonical.isEmpty())
                fail(QStringLiteral("valoarea {@%1} nu este definita in raport").arg(t.text), t.position);
            node->kind = Node::Kind::Parameter;
            node->text = canonical;
            return node;
        }
        case Token::Kind::LParen: {
            NodePtr inner = parseOr();
            if (peek().kind != Token::Kind::RParen)
                fail(QStringLiteral("lipseste paranteza inchisa ) in loc de \"%1\"").arg(describe(peek())),
                     peek().position);
            next();
            return inner;
        }
        case Token::Kind::Word:
            if (knownFunctions.contains(t.text) && peek().kind == Token::Kind::LParen)
                return parseCall(t);
            if (t.text == u"and" || t.text == u"or" || t.text == u"not")
                fail(QStringLiteral("se asteapta o valoare inainte de \"%1\"").arg(t.text), t.position);
            if (peek().kind == Token::Kind::LParen)
                fail(QStringLiteral("functie necunoscuta \"%1\"").arg(t.text), t.position);
            fail(QStringLiteral("cuvant necunoscut \"%1\"; coloanele se scriu {tabela.coloana}, textele intre ghilimele")
                     .arg(t.text),
                 t.position);
        case Token::Kind::End:
            fail(QStringLiteral("formula se termina prea devreme, se asteapta o valoare"), t.position);
        default:
            fail(QStringLiteral("se asteapta o valoare in loc de \"%1\"").arg(describe(t)), t.position);
        }
    }

    NodePtr parseCall(const Token &name)
    {
        if (!m_scope.functions)
            fail(QStringLiteral("functia \"%1\" nu este permisa aici").arg(name.text), name.position);
        const bool aggregate = aggregateFunctions.contains(name.text);
        if (aggregate && !m_scope.aggregates)
            fail(QStringLiteral("totalul \"%1\" nu este permis aici").arg(name.text), name.position);
        if (aggregate && m_insideAggregate)
            fail(QStringLiteral("totalul \"%1\" nu poate sta in alt total").arg(name.text), name.position);
        next(); // (
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::Call;
        node->text = name.text;
        node->position = name.position;
        const bool outer = m_insideAggregate;
        m_insideAggregate = m_insideAggregate || aggregate;
        if (peek().kind != Token::Kind::RParen) {
            node->args.push_back(parseOr());
            while (peek().kind == Token::Kind::Comma) {
                next();
                node->args.push_back(parseOr());
            }
        }
        m_insideAggregate = outer;
        if (peek().kind != Token::Kind::RParen)
            fail(QStringLiteral("lipseste paranteza inchisa ) in loc de \"%1\"").arg(describe(peek())), peek().position);
        next();
        const int count = int(node->args.size());
        bool ok = true;
        if (name.text == u"iif")
            ok = count == 3;
        else if (name.text == u"count")
            ok = count <= 1;
        else if (name.text == u"sum" || name.text == u"round")
            ok = count == 1 || count == 2;
        else
            ok = count == 1;
        if (!ok)
            fail(QStringLiteral("numar gresit de argumente pentru \"%1\"").arg(name.text), name.position);
        return measured(node);
    }

    void resolveField(Node &node, const Token &t)
    {
        const int dot = int(t.text.indexOf(u'.'));
        const QString table = dot < 0 ? QString() : t.text.left(dot).trimmed();
        const QString column = dot < 0 ? QString() : t.text.mid(dot + 1).trimmed();
        if (table.isEmpty() || column.isEmpty())
            fail(QStringLiteral("coloana {%1} trebuie scrisa {tabela.coloana}").arg(t.text), t.position);
        for (auto it = m_scope.tables.cbegin(); it != m_scope.tables.cend(); ++it) {
            if (it.key().compare(table, Qt::CaseInsensitive) != 0)
                continue;
            for (const QString &c : it.value()) {
                if (c.compare(column, Qt::CaseInsensitive) == 0) {
                    node.kind = Node::Kind::Field;
                    node.table = it.key();
                    node.column = c;
                    node.text = it.key() + u'.' + c;
                    return;
                }
            }
            fail(QStringLiteral("coloana {%1} nu exista in tabela %2").arg(t.text, it.key()), t.position);
        }
        fail(QStringLiteral("tabela %1 din {%2} nu face parte din raport").arg(table, t.text), t.position);
    }

    QString m_text;
    const Scope &m_scope;
    QString m_where;
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    bool m_insideAggregate = false;
    int m_nesting = 0;
    QHash<const Node *, int> m_heights; // nodes above a leaf
};

QString sqlOperator(Node::Op op)
{
    switch (op) {
    case Node::Op::Or: return QStringLiteral(" OR ");
    case Node::Op::And: return QStringLiteral(" AND ");
    case Node::Op::Eq: return QStringLiteral(" = ");
    case Node::Op::Ne: return QStringLiteral(" <> ");
    case Node::Op::Lt: return QStringLiteral(" < ");
    case Node::Op::Gt: return QStringLiteral(" > ");
    case Node::Op::Le: return QStringLiteral(" <= ");
    case Node::Op::Ge: return QStringLiteral(" >= ");
    case Node::Op::Add: return QStringLiteral(" + ");
    case Node::Op::Sub: return QStringLiteral(" - ");
    case Node::Op::Mul: return QStringLiteral(" * ");
    case Node::Op::Div: return QStringLiteral(" / ");
    }
    return {};
}

void buildSql(const Node &node, SqlFilter &out,
              const std::function<QString(const QString &, const QString &)> &columnSql)
{
    switch (node.kind) {
    case Node::Kind::Number: {
        out.sql += u'?';
        const double n = node.number;
        if (std::floor(n) == n && std::fabs(n) < 9e15)
            out.values.append(qlonglong(n));
        else
            out.values.append(n);
        return;
    }
    case Node::Kind::Text:
        out.sql += u'?';
        out.values.append(node.text);
        return;
    case Node::Kind::Field:
        out.sql += columnSql(node.table, node.column);
        return;
    case Node::Kind::Negate:
        out.sql += QStringLiteral("(-");
        buildSql(*node.args[0], out, columnSql);
        out.sql += u')';
        return;
    case Node::Kind::Not:
        out.sql += QStringLiteral("(NOT ");
        buildSql(*node.args[0], out, columnSql);
        out.sql += u')';
        return;
    case Node::Kind::Binary:
        out.sql += u'(';
        buildSql(*node.args[0], out, columnSql);
        out.sql += sqlOperator(node.op);
        buildSql(*node.args[1], out, columnSql);
        out.sql += u')';
        return;
    case Node::Kind::Parameter:
    case Node::Kind::Call:
        throw ReportError(QStringLiteral("Formula de selectie: \"%1\" nu este permis in selectie (pozitia %2)")
                              .arg(node.text)
                              .arg(node.position));
    }
}

int compareValues(const Value &a, const Value &b)
{
    const bool aNumeric = a.kind == Value::Kind::Number || (a.kind == Value::Kind::Text && isNumber(a.text));
    const bool bNumeric = b.kind == Value::Kind::Number || (b.kind == Value::Kind::Text && isNumber(b.text));
    if (aNumeric && bNumeric && (a.kind == Value::Kind::Number || b.kind == Value::Kind::Number)) {
        const double x = a.toNumber(), y = b.toNumber();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QString x = a.kind == Value::Kind::Number ? doubleText(a.number) : a.text;
    const QString y = b.kind == Value::Kind::Number ? doubleText(b.number) : b.text;
    return QString::compare(x, y);
}

} // namespace

NodePtr parse(const QString &text, const Scope &scope, const QString &where)
{
    return Parser(text, scope, where).run();
}

void collectFields(const NodePtr &node, QStringList &fields)
{
    if (!node)
        return;
    if (node->kind == Node::Kind::Field && !fields.contains(node->text))
        fields.append(node->text);
    for (const NodePtr &arg : node->args)
        collectFields(arg, fields);
}

bool hasAggregate(const NodePtr &node)
{
    if (!node)
        return false;
    if (node->kind == Node::Kind::Call && aggregateFunctions.contains(node->text))
        return true;
    for (const NodePtr &arg : node->args)
        if (hasAggregate(arg))
            return true;
    return false;
}

int heightOf(const Node &node)
{
    int height = 1;
    for (const NodePtr &arg : node.args)
        height = std::max(height, heightOf(*arg) + 1);
    return height;
}

SqlFilter toSql(const NodePtr &node, const std::function<QString(const QString &, const QString &)> &columnSql)
{
    // Each level of the tree is a pair of parentheses in the SQL, and the
    // database's parser refuses some condition nested 30 deep.
    constexpr int maxSqlHeight = 24;
    if (node && heightOf(*node) > maxSqlHeight)
        throw ReportError(QStringLiteral("Formula de selectie: formula este prea lunga (pozitia %1)").arg(node->position));
    SqlFilter out;
    if (node)
        buildSql(*node, out, columnSql);
    return out;
}

Value evaluate(const Node &node, const RowAccess &row)
{
    switch (node.kind) {
    case Node::Kind::Number:
        return Value::of(node.number);
    case Node::Kind::Text:
        return Value::of(node.text);
    case Node::Kind::Field:
        return row.field(node);
    case Node::Kind::Parameter:
        return row.parameter(node.text);
    case Node::Kind::Negate: {
        const Value v = evaluate(*node.args[0], row);
        return v.isNull() ? v : Value::of(-v.toNumber());
    }
    case Node::Kind::Not: {
        const Value v = evaluate(*node.args[0], row);
        return v.isNull() ? v : Value::of(v.truth() ? 0.0 : 1.0);
    }
    case Node::Kind::Binary: {
        if (node.op == Node::Op::And) {
            if (!evaluate(*node.args[0], row).truth())
                return Value::of(0.0);
            return Value::of(evaluate(*node.args[1], row).truth() ? 1.0 : 0.0);
        }
        if (node.op == Node::Op::Or) {
            if (evaluate(*node.args[0], row).truth())
                return Value::of(1.0);
            return Value::of(evaluate(*node.args[1], row).truth() ? 1.0 : 0.0);
        }
        const Value a = evaluate(*node.args[0], row);
        const Value b = evaluate(*node.args[1], row);
        if (a.isNull() || b.isNull())
            return Value::null();
        switch (node.op) {
        case Node::Op::Eq: return Value::of(compareValues(a, b) == 0 ? 1.0 : 0.0);
        case Node::Op::Ne: return Value::of(compareValues(a, b) != 0 ? 1.0 : 0.0);
        case Node::Op::Lt: return Value::of(compareValues(a, b) < 0 ? 1.0 : 0.0);
        case Node::Op::Gt: return Value::of(compareValues(a, b) > 0 ? 1.0 : 0.0);
        case Node::Op::Le: return Value::of(compareValues(a, b) <= 0 ? 1.0 : 0.0);
        case Node::Op::Ge: return Value::of(compareValues(a, b) >= 0 ? 1.0 : 0.0);
        case Node::Op::Add:
            if (a.kind == Value::Kind::Text && b.kind == Value::Kind::Text)
                return Value::of(a.text + b.text);
            return Value::of(a.toNumber() + b.toNumber());
        case Node::Op::Sub: return Value::of(a.toNumber() - b.toNumber());
        case Node::Op::Mul: return Value::of(a.toNumber() * b.toNumber());
        case Node::Op::Div: {
            const double d = b.toNumber();
            return d == 0 ? Value::null() : Value::of(a.toNumber() / d);
        }
        default:
            return Value::null();
        }
    }
    case Node::Kind::Call: {
        if (node.text == u"iif")
            return evaluate(*node.args[evaluate(*node.args[0], row).truth() ? 1 : 2], row);
        if (node.text == u"abs") {
            const Value v = evaluate(*node.args[0], row);
            return v.isNull() ? v : Value::of(std::fabs(v.toNumber()));
        }
        if (node.text == u"round") {
            const Value v = evaluate(*node.args[0], row);
            if (v.isNull())
                return v;
            // A double holds no more than 15 decimals: more would only build a huge mask.
            const double wanted = node.args.size() > 1 ? evaluate(*node.args[1], row).toNumber() : 0.0;
            const int decimals = wanted >= 1 ? int(std::min(wanted, 15.0)) : 0;
            const QString mask = decimals <= 0 ? QStringLiteral("0")
                                               : QStringLiteral("0.") + QString(decimals, u'0');
            return Value::of(formatNumber(v.toNumber(), mask).toDouble());
        }
        return row.aggregate(node);
    }
    }
    return Value::null();
}

} // namespace formula
} // namespace vok
