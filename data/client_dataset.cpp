#include "client_dataset.h"

namespace data {

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}

} // namespace

ClientDataSet::ClientDataSet(QString name, QString provider, int packetSize, QObject *parent)
    : QObject(parent), name_(std::move(name)), provider_(std::move(provider)), packetSize_(packetSize)
{
    setObjectName(name_);
}

ClientDataSet::~ClientDataSet()
{
    try {
        closeCursor();
    } catch (...) {
    }
}

void ClientDataSet::setCommandText(const QString &sql)
{
    if (isActive())
        close();
    commandText_ = sql;
}

void ClientDataSet::requireActive() const
{
    if (!isActive())
        throw ServerError(QStringLiteral("dataset"), QStringLiteral("数据集 %1 未打开").arg(name_));
}

void ClientDataSet::closeCursor()
{
    if (cursorId_ != 0 && connection_ && connection_->isOpen())
        connection_->closeCursor(cursorId_);
    cursorId_ = 0;
}

void ClientDataSet::setState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    Q_EMIT stateChanged(state);
}

void ClientDataSet::open()
{
    if (!connection_ || !connection_->isOpen())
        throw ServerError(QStringLiteral("network"), QStringLiteral("未连接服务器"));
    close();
    wire::Packet packet = connection_->openQuery(provider_, commandText_, packetSize_);
    columns_ = std::move(packet.columns);
    adopt(std::move(packet));
    current_ = 0;
    bof_ = eof_ = rows_.empty();
    setState(State::Browse);
    if (!disabled_)
        Q_EMIT reset();
    if (afterOpen)
        afterOpen(*this);
    if (afterScroll)
        afterScroll(*this);
}

void ClientDataSet::close()
{
    if (!isActive())
        return;
    try {
        closeCursor();
    } catch (const ServerError &) {
        // The server forgets the cursor with the connection anyway.
    }
    cursorId_ = 0;
    rows_.clear();
    deleted_.clear();
    columns_.clear();
    editBackup_.reset();
    current_ = 0;
    bof_ = eof_ = true;
    setState(State::Inactive);
    if (!disabled_)
        Q_EMIT reset();
}

qint64 ClientDataSet::execute()
{
    if (!connection_ || !connection_->isOpen())
        throw ServerError(QStringLiteral("network"), QStringLiteral("未连接服务器"));
    return connection_->execute(provider_, commandText_);
}

void ClientDataSet::adopt(wire::Packet &&packet)
{
    const int first = int(rows_.size());
    rows_.reserve(rows_.size() + packet.rows.size());
    for (wire::Row &values : packet.rows) {
        RowData row;
        row.values = std::move(values);
        row.bookmark = nextBookmark_++;
        rows_.push_back(std::move(row));
    }
    cursorId_ = packet.eof ? 0 : packet.cursor;
    if (int(rows_.size()) > first && !disabled_ && state_ != State::Inactive)
        Q_EMIT rowsAppended(first, int(rows_.size()) - 1);
}

bool ClientDataSet::fetchPacket()
{
    if (cursorId_ == 0)
        return false;
    adopt(connection_->fetch(cursorId_, packetSize_));
    return true;
}

void ClientDataSet::fetchAll()
{
    while (fetchPacket()) {
    }
}

bool ClientDataSet::ensureRow(int index)
{
    while (index >= int(rows_.size()))
        if (!fetchPacket())
            return false;
    return true;
}

QStringList ClientDataSet::fieldNames() const
{
    QStringList names;
    for (const wire::Column &c : columns_)
        names << c.name;
    return names;
}

int ClientDataSet::fieldIndex(const QString &name) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int ClientDataSet::columnOf(const QString &field) const
{
    const int column = fieldIndex(field);
    if (column < 0)
        throw ServerError(QStringLiteral("dataset"), QStringLiteral("字段 %1 不存在").arg(field));
    return column;
}

QVariant ClientDataSet::value(const QString &field) const { return value(columnOf(field)); }

QVariant ClientDataSet::value(int column) const
{
    if (rows_.empty() || column < 0 || column >= int(columns_.size()))
        return {};
    return rows_[size_t(current_)].values[size_t(column)];
}

void ClientDataSet::setValue(const QString &field, const QVariant &value) { setValue(columnOf(field), value); }

void ClientDataSet::setValue(int column, const QVariant &value)
{
    requireActive();
    if (state_ == State::Browse)
        edit();
    rows_[size_t(current_)].values[size_t(column)] = value;
    if (!disabled_)
        Q_EMIT rowChanged(current_);
}

void ClientDataSet::scrolled(int oldIndex, bool notify)
{
    if (!disabled_ && current_ != oldIndex)
        Q_EMIT currentChanged(current_);
    if (notify && afterScroll)
        afterScroll(*this);
}

void ClientDataSet::requireBrowse()
{
    requireActive();
    if (state_ != State::Browse)
        post();
}

void ClientDataSet::first()
{
    requireBrowse();
    const int old = current_;
    current_ = 0;
    bof_ = eof_ = rows_.empty();
    scrolled(old);
}

void ClientDataSet::last()
{
    requireBrowse();
    fetchAll();
    const int old = current_;
    current_ = rows_.empty() ? 0 : int(rows_.size()) - 1;
    bof_ = eof_ = rows_.empty();
    scrolled(old);
}

void ClientDataSet::next() { moveBy(1); }

void ClientDataSet::prior() { moveBy(-1); }

int ClientDataSet::moveBy(int distance)
{
    requireBrowse();
    if (distance == 0)
        return 0;
    const int old = current_;
    int target = current_ + distance;
    if (rows_.empty()) {
        bof_ = eof_ = true;
        target = 0;
    } else if (target < 0) {
        target = 0;
        bof_ = true;
        eof_ = false;
    } else if (!ensureRow(target)) {
        target = int(rows_.size()) - 1;
        eof_ = true;
        bof_ = false;
    } else {
        bof_ = eof_ = false;
    }
    current_ = target;
    scrolled(old);
    return current_ - old;
}

void ClientDataSet::setRecNo(int recNo)
{
    requireBrowse();
    if (rows_.empty() || recNo < 1)
        return;
    if (!ensureRow(recNo - 1))
        recNo = int(rows_.size());
    const int old = current_;
    current_ = recNo - 1;
    bof_ = eof_ = false;
    if (current_ != old)
        scrolled(old);
}

ClientDataSet::Bookmark ClientDataSet::bookmark() const
{
    return rows_.empty() ? 0 : rows_[size_t(current_)].bookmark;
}

int ClientDataSet::indexOfBookmark(Bookmark bookmark) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].bookmark == bookmark)
            return int(i);
    return -1;
}

bool ClientDataSet::gotoBookmark(Bookmark bookmark)
{
    requireBrowse();
    const int index = indexOfBookmark(bookmark);
    if (index < 0)
        return false;
    const int old = current_;
    current_ = index;
    bof_ = eof_ = false;
    scrolled(old);
    return true;
}

void ClientDataSet::edit()
{
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    if (rows_.empty()) {
        append();
        return;
    }
    editBackup_ = rows_[size_t(current_)];
    setState(State::Edit);
}

void ClientDataSet::startRow(bool atEnd)
{
    requireBrowse();
    if (beforeInsert)
        beforeInsert(*this);
    if (atEnd)
        fetchAll();
    RowData row;
    row.values.resize(columns_.size());
    row.bookmark = nextBookmark_++;
    row.status = RowData::Status::Inserted;
    const int old = current_;
    const int index = atEnd || rows_.empty() ? int(rows_.size()) : current_;
    rows_.insert(rows_.begin() + index, std::move(row));
    current_ = index;
    bof_ = eof_ = false;
    setState(State::Insert);
    if (!disabled_)
        Q_EMIT rowInserted(index);
    scrolled(old, false);
    if (afterInsert)
        afterInsert(*this);
    if (afterScroll)
        afterScroll(*this);
}

void ClientDataSet::insert() { startRow(false); }

void ClientDataSet::append() { startRow(true); }

void ClientDataSet::post()
{
    requireActive();
    if (state_ == State::Browse)
        return;
    if (beforePost)
        beforePost(*this);
    if (state_ == State::Browse) // the handler cancelled the edit
        return;
    RowData &row = rows_[size_t(current_)];
    if (state_ == State::Edit && row.status == RowData::Status::Unchanged && editBackup_) {
        row.original = editBackup_->values;
        row.status = RowData::Status::Modified;
    }
    editBackup_.reset();
    setState(State::Browse);
    if (!disabled_)
        Q_EMIT rowChanged(current_);
    if (afterPost)
        afterPost(*this);
}

void ClientDataSet::cancel()
{
    if (state_ == State::Edit) {
        if (editBackup_)
            rows_[size_t(current_)] = std::move(*editBackup_);
        editBackup_.reset();
        setState(State::Browse);
        if (!disabled_)
            Q_EMIT rowChanged(current_);
    } else if (state_ == State::Insert) {
        const int index = current_;
        rows_.erase(rows_.begin() + index);
        current_ = std::clamp(index, 0, std::max(0, int(rows_.size()) - 1));
        setState(State::Browse);
        if (!disabled_) {
            Q_EMIT rowRemoved(index);
            Q_EMIT currentChanged(current_);
        }
    }
}

void ClientDataSet::remove()
{
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (state_ == State::Edit)
        cancel();
    if (rows_.empty())
        return;
    if (beforeDelete)
        beforeDelete(*this);
    const int index = current_;
    RowData row = std::move(rows_[size_t(index)]);
    rows_.erase(rows_.begin() + index);
    if (row.status != RowData::Status::Inserted) {
        if (row.original)
            row.values = std::move(*row.original);
        row.original.reset();
        deleted_.push_back(std::move(row));
    }
    ensureRow(index);
    current_ = std::clamp(index, 0, std::max(0, int(rows_.size()) - 1));
    eof_ = rows_.empty();
    bof_ = rows_.empty();
    if (!disabled_) {
        Q_EMIT rowRemoved(index);
        Q_EMIT currentChanged(current_);
    }
    if (afterDelete)
        afterDelete(*this);
    if (afterScroll)
        afterScroll(*this);
}

int ClientDataSet::changeCount() const
{
    int count = int(deleted_.size());
    for (const RowData &row : rows_)
        if (row.status != RowData::Status::Unchanged)
            ++count;
    if (state_ != State::Browse && state_ != State::Inactive)
        ++count;
    return count;
}

int ClientDataSet::applyUpdates()
{
    requireActive();
    post();
    applyErrors_.clear();
    auto valuesOf = [this](const wire::Row &values) {
        QVariantMap map;
        for (size_t i = 0; i < columns_.size(); ++i)
            map.insert(columns_[i].name, values[i]);
        return map;
    };
    // What each change refers to: a deleted row's index, or a live row's bookmark.
    struct Ref {
        bool deleted;
        size_t deletedIndex;
        Bookmark bookmark;
    };
    std::vector<wire::Change> changes;
    std::vector<Ref> refs;
    for (size_t i = 0; i < deleted_.size(); ++i) {
        changes.push_back({wire::Change::Kind::Delete, valuesOf(deleted_[i].values), {}});
        refs.push_back({true, i, 0});
    }
    for (RowData &row : rows_) {
        if (row.status == RowData::Status::Modified) {
            QVariantMap changed;
            for (size_t i = 0; i < columns_.size(); ++i)
                if (!sameValue(row.values[i], (*row.original)[i]))
                    changed.insert(columns_[i].name, row.values[i]);
            if (changed.isEmpty()) {
                row.status = RowData::Status::Unchanged;
                row.original.reset();
                continue;
            }
            changes.push_back({wire::Change::Kind::Update, valuesOf(*row.original), changed});
            refs.push_back({false, 0, row.bookmark});
        } else if (row.status == RowData::Status::Inserted) {
            QVariantMap set;
            for (size_t i = 0; i < columns_.size(); ++i)
                if (!row.values[i].isNull())
                    set.insert(columns_[i].name, row.values[i]);
            changes.push_back({wire::Change::Kind::Insert, {}, set});
            refs.push_back({false, 0, row.bookmark});
        }
    }
    if (changes.empty())
        return 0;

    const std::vector<wire::ChangeResult> results =
        connection_ ? connection_->apply(provider_, commandText_, changes)
                    : throw ServerError(QStringLiteral("network"), QStringLiteral("未连接服务器"));
    const int idColumn = fieldIndex(QStringLiteral("ID"));
    std::vector<bool> deletedDone(deleted_.size(), false);
    for (size_t i = 0; i < results.size() && i < refs.size(); ++i) {
        if (!results[i].ok) {
            applyErrors_ << results[i].error;
            continue;
        }
        if (refs[i].deleted) {
            deletedDone[refs[i].deletedIndex] = true;
            continue;
        }
        const int index = indexOfBookmark(refs[i].bookmark);
        if (index < 0)
            continue;
        RowData &row = rows_[size_t(index)];
        if (row.status == RowData::Status::Inserted && idColumn >= 0 && results[i].newId.isValid())
            row.values[size_t(idColumn)] = results[i].newId;
        row.status = RowData::Status::Unchanged;
        row.original.reset();
        if (!disabled_)
            Q_EMIT rowChanged(index);
    }
    std::vector<RowData> kept;
    for (size_t i = 0; i < deleted_.size(); ++i)
        if (!deletedDone[i])
            kept.push_back(std::move(deleted_[i]));
    deleted_ = std::move(kept);
    return int(applyErrors_.size());
}

void ClientDataSet::cancelUpdates()
{
    if (!isActive())
        return;
    cancel();
    std::vector<RowData> restored;
    for (RowData &row : rows_) {
        if (row.status == RowData::Status::Inserted)
            continue;
        if (row.original)
            row.values = std::move(*row.original);
        row.original.reset();
        row.status = RowData::Status::Unchanged;
        restored.push_back(std::move(row));
    }
    // Deleted rows return to their places, which their bookmarks (given in reading order) tell.
    for (RowData &row : deleted_)
        restored.push_back(std::move(row));
    std::stable_sort(restored.begin(), restored.end(),
                     [](const RowData &a, const RowData &b) { return a.bookmark < b.bookmark; });
    deleted_.clear();
    rows_ = std::move(restored);
    current_ = std::clamp(current_, 0, std::max(0, int(rows_.size()) - 1));
    if (!disabled_)
        Q_EMIT reset();
}

void ClientDataSet::refresh()
{
    requireActive();
    if (changeCount() > 0)
        throw ServerError(QStringLiteral("dataset"), QStringLiteral("请先保存修改的数据再刷新"));
    const int recNo = this->recNo();
    open();
    if (recNo > 1)
        setRecNo(recNo);
}

void ClientDataSet::enableControls()
{
    if (disabled_ > 0 && --disabled_ == 0)
        Q_EMIT reset();
}

} // namespace data
