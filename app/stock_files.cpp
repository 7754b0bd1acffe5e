#include "app/stock_files.h"

#include <QFileInfo>
#include <QImage>

namespace app {

void installStockFiles(const ProgramFolder &folder)
{
    const QString blank = folder.path(QStringLiteral("tbkong.jpg"));
    if (!QFileInfo::exists(blank)) {
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.save(blank, "JPG");
    }
}

} // namespace app
