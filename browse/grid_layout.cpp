#include "grid_layout.h"

#include "app/list_file.h"
#include "data/dataset_model.h"

#include <QHeaderView>
#include <QTableView>

namespace browse {

namespace {

const QString header = QStringLiteral("VelborGridLayout 1");

QChar alignmentCode(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return u'C';
    if (a & Qt::AlignRight)
        return u'R';
    return u'L';
}

std::optional<Qt::Alignment> alignmentFromCode(const QString &code)
{
    if (code == QLatin1StringView("L"))
        return Qt::AlignLeft;
    if (code == QLatin1StringView("C"))
        return Qt::AlignHCenter;
    if (code == QLatin1StringView("R"))
        return Qt::AlignRight;
    return std::nullopt;
}

int modelColumn(const data::DataSetModel &model, const QString &field)
{
    const data::ClientDataSet *d = model.dataSet();
    return d ? d->fieldIndex(field) : -1;
}

} // namespace

bool writeGridLayout(const QString &path, const GridLayout &layout)
{
    QStringList lines{header};
    for (const GridColumn &c : layout)
        lines << QStringList{c.field, c.title, QString::number(c.width), alignmentCode(c.alignment),
                             c.visible ? QStringLiteral("1") : QStringLiteral("0")}
                     .join(u'\t');
    return app::writeListFile(path, lines);
}

std::optional<GridLayout> readGridLayout(const QString &path)
{
    const QStringList lines = app::readListFile(path);
    if (lines.isEmpty() || lines.first() != header)
        return std::nullopt;
    GridLayout layout;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u'\t');
        bool widthOk = false;
        const int width = f.value(2).toInt(&widthOk);
        const auto alignment = alignmentFromCode(f.value(3));
        if (f.size() != 5 || f[0].isEmpty() || !widthOk || width < 0 || !alignment ||
            (f[4] != QLatin1StringView("0") && f[4] != QLatin1StringView("1")))
            return std::nullopt;
        layout.append({f[0], f[1], width, *alignment, f[4] == QLatin1StringView("1")});
    }
    return layout;
}

GridLayout captureLayout(const QTableView &view, const data::DataSetModel &model)
{
    GridLayout layout;
    const QHeaderView *h = view.horizontalHeader();
    const data::ClientDataSet *d = model.dataSet();
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (!d || logical >= int(d->fields().size()))
            continue;
        layout.append({d->fields()[size_t(logical)].name, model.title(logical), h->sectionSize(logical),
                       model.alignment(logical) & Qt::AlignHorizontal_Mask, !h->isSectionHidden(logical)});
    }
    return layout;
}

void resetLayout(QTableView &view, data::DataSetModel &model)
{
    model.clearColumnLooks();
    QHeaderView *h = view.horizontalHeader();
    for (int logical = 0; logical < h->count(); ++logical) {
        h->moveSection(h->visualIndex(logical), logical);
        h->showSection(logical);
        h->resizeSection(logical, h->defaultSectionSize());
    }
}

void applyLayout(QTableView &view, data::DataSetModel &model, const GridLayout &layout)
{
    resetLayout(view, model);
    QHeaderView *h = view.horizontalHeader();
    int visual = 0;
    for (const GridColumn &c : layout) {
        const int logical = modelColumn(model, c.field);
        if (logical < 0)
            continue;
        h->moveSection(h->visualIndex(logical), visual++);
        if (!c.title.isEmpty())
            model.setTitle(c.field, c.title);
        model.setAlignment(c.field, c.alignment | Qt::AlignVCenter);
        if (c.width > 0)
            h->resizeSection(logical, c.width);
        h->setSectionHidden(logical, !c.visible);
    }
}

void capColumnWidths(QTableView &view, int maximum)
{
    QHeaderView *h = view.horizontalHeader();
    for (int logical = 0; logical < h->count(); ++logical)
        if (h->sectionSize(logical) > maximum)
            h->resizeSection(logical, maximum);
}

bool alignCurrentColumn(QTableView &view, data::DataSetModel &model, Qt::Alignment alignment)
{
    const QModelIndex current = view.currentIndex();
    const data::ClientDataSet *d = model.dataSet();
    if (!current.isValid() || !d || current.column() >= int(d->fields().size()))
        return false;
    model.setAlignment(d->fields()[size_t(current.column())].name, alignment | Qt::AlignVCenter);
    return true;
}

} // namespace browse
