#pragma once
// Tokens of client SQL text (SQL Server dialect).

#include <QString>
#include <vector>

namespace sql {

struct Token {
    enum class Kind {
        Word,             // bare name or keyword: select, 客户, #wang, #2wang
        QuotedIdentifier, // [name] or "name", text without the quotes
        String,           // 'text' or N'text', text with doubled quotes undone
        Number,           // 12, 3.5
        Symbol,           // ( ) , . ; * + - / % = <> != < > <= >=
        End,
    };
    Kind kind = Kind::End;
    QString text;
    int line = 1;

    bool isWord(QLatin1StringView keyword) const
    {
        return kind == Kind::Word && text.compare(keyword, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QLatin1StringView symbol) const { return kind == Kind::Symbol && text == symbol; }
    bool isName() const { return kind == Kind::Word || kind == Kind::QuotedIdentifier; }
};

// The tokens of a batch, ending with one End token. Throws SqlError on an unterminated string or
// bracket, or a character that belongs to no token.
std::vector<Token> tokenize(const QString &text);

} // namespace sql
