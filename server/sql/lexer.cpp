#include "server/sql/lexer.h"

#include "server/sql/sql_error.h"

namespace sql {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'#' || c.isSurrogate();
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == u'$' || c == u'@';
}

class Lexer {
public:
    explicit Lexer(const QString &text) : text_(text) {}

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        for (;;) {
            skipBlanksAndComments();
            if (pos_ >= text_.size()) {
                tokens.push_back({Token::Kind::End, {}, line_});
                return tokens;
            }
            tokens.push_back(next());
        }
    }

private:
    QChar at(qsizetype i) const { return i < text_.size() ? text_[i] : QChar(); }

    [[noreturn]] void fail(const QString &what) const
    {
        throw SqlError(QStringLiteral("SQL语法错误: %1 (第%2行)").arg(what).arg(line_));
    }

    void skipBlanksAndComments()
    {
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (c == u'\n') {
                ++line_;
                ++pos_;
            } else if (c.isSpace()) {
                ++pos_;
            } else if (c == u'-' && at(pos_ + 1) == u'-') {
                while (pos_ < text_.size() && text_[pos_] != u'\n')
                    ++pos_;
            } else if (c == u'/' && at(pos_ + 1) == u'*') {
                const qsizetype end = text_.indexOf(QLatin1StringView("*/"), pos_ + 2);
                if (end < 0)
                    fail(QStringLiteral("注释缺少结束的 */"));
                line_ += int(QStringView(text_).mid(pos_, end - pos_).count(u'\n'));
                pos_ = end + 2;
            } else {
                return;
            }
        }
    }

    // Text up to the closing quote; a doubled closing quote stands for itself.
    QString quoted(QChar close, const QString &missing)
    {
        const int startLine = line_;
        QString value;
        ++pos_;
        for (;;) {
            const qsizetype end = text_.indexOf(close, pos_);
            if (end < 0) {
                line_ = startLine;
                fail(missing);
            }
            const QStringView piece = QStringView(text_).mid(pos_, end - pos_);
            line_ += int(piece.count(u'\n'));
            value += piece;
            pos_ = end + 1;
            if (at(pos_) != close)
                return value;
            value += close;
            ++pos_;
        }
    }

    Token next()
    {
        const QChar c = text_[pos_];
        const int line = line_;
        if (c == u'\'')
            return {Token::Kind::String, quoted(u'\'', QStringLiteral("字符串缺少结束的单引号")), line};
        if ((c == u'N' || c == u'n') && at(pos_ + 1) == u'\'') {
            ++pos_;
            return {Token::Kind::String, quoted(u'\'', QStringLiteral("字符串缺少结束的单引号")), line};
        }
        if (c == u'[')
            return {Token::Kind::QuotedIdentifier, quoted(u']', QStringLiteral("名称缺少结束的 ]")), line};
        if (c == u'"')
            return {Token::Kind::QuotedIdentifier, quoted(u'"', QStringLiteral("名称缺少结束的双引号")), line};
        if (c.isDigit())
            return number();
        if (isWordStart(c))
            return word();
        return symbol();
    }

    Token number()
    {
        const qsizetype start = pos_;
        while (at(pos_).isDigit())
            ++pos_;
        if (at(pos_) == u'.' && at(pos_ + 1).isDigit()) {
            ++pos_;
            while (at(pos_).isDigit())
                ++pos_;
        }
        // A name may begin with digits ("2号表"); letters right after the digits make it one.
        if (isWordStart(at(pos_)) && !text_.mid(start, pos_ - start).contains(u'.')) {
            pos_ = start;
            return word();
        }
        return {Token::Kind::Number, text_.mid(start, pos_ - start), line_};
    }

    Token word()
    {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && isWordPart(text_[pos_]))
            ++pos_;
        return {Token::Kind::Word, text_.mid(start, pos_ - start), line_};
    }

    Token symbol()
    {
        static const QLatin1StringView pairs[] = {QLatin1StringView("<>"), QLatin1StringView("!="),
                                                  QLatin1StringView("<="), QLatin1StringView(">=")};
        const QStringView two = QStringView(text_).mid(pos_, 2);
        for (const auto &pair : pairs) {
            if (two == pair) {
                pos_ += 2;
                return {Token::Kind::Symbol, pair, line_};
            }
        }
        const QChar c = text_[pos_];
        if (QStringView(u"(),.;*+-/%=<>").contains(c)) {
            ++pos_;
            return {Token::Kind::Symbol, QString(c), line_};
        }
        fail(QStringLiteral("无法识别的字符 '%1'").arg(c));
    }

    const QString &text_;
    qsizetype pos_ = 0;
    int line_ = 1;
};

} // namespace

std::vector<Token> tokenize(const QString &text)
{
    return Lexer(text).run();
}

} // namespace sql
