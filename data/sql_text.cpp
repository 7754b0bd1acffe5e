#include "sql_text.h"

namespace data {

QString sqlValue(const QString &value)
{
    QString doubled = value;
    return doubled.replace(u'\'', QStringLiteral("''"));
}

bool isPlainName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (!c.isLetterOrNumber() && c != u'_')
            return false;
    return true;
}

QString SqlText::text() const
{
    QString text;
    for (const QString &line : lines_)
        text += line + QStringLiteral("\r\n");
    return text;
}

} // namespace data
