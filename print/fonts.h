#pragma once
#include <QFont>
#include <QStringList>

namespace print {

// Layouts and forms are set in 宋体; on this platform that is a Song-style CJK face.
inline void installSongSubstitution()
{
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               QStringList{QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
}

} // namespace print
