#pragma once
// Parser of the client's SQL Server text into the syntax tree of ast.h.

#include "server/sql/ast.h"

#include <QString>
#include <vector>

namespace sql {

// The statements of a batch. Statements follow one another on new lines (";" also ends one); where one
// ends is told by the grammar, since a statement may span many lines. Throws SqlError naming the token
// it cannot take ("不支持的SQL语句: merge", "不支持的SQL语法: cross (第2行)").
std::vector<ast::Statement> parseBatch(const QString &batch);

} // namespace sql
