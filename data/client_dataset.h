#pragma once
// A client dataset: the rows of one provider query held on the client, fetched from velbor-server
// packet by packet as the cursor needs them, edited locally and sent back as a change set.

#include "wire/client_connection.h"

#include <QObject>
#include <QVariant>
#include <functional>
#include <optional>

namespace data {

// Thrown from an event handler to end the operation silently, leaving the data as it was.
struct Abort {};

// Thrown for a failed open, fetch, execute or apply: the server's text.
using wire::ServerError;

class ClientDataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Bookmark = quint64;
    using Event = std::function<void(ClientDataSet &)>;

    ClientDataSet(QString name, QString provider, int packetSize, QObject *parent = nullptr);
    ~ClientDataSet() override;

    const QString &name() const { return name_; }
    const QString &provider() const { return provider_; }
    int packetSize() const { return packetSize_; }
    void setConnection(wire::ClientConnection *connection) { connection_ = connection; }
    wire::ClientConnection *connection() const { return connection_; }

    // The SQL text; the dataset must be closed before it changes.
    const QString &commandText() const { return commandText_; }
    void setCommandText(const QString &sql);

    void open();
    void close();
    bool isActive() const { return state_ != State::Inactive; }
    State state() const { return state_; }
    // Runs the command text as statements without rows.
    qint64 execute();

    // Fields of the open result.
    const std::vector<wire::Column> &fields() const { return columns_; }
    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const; // -1 when absent; letter case ignored
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    QVariant value(const QString &field) const;
    QVariant value(int column) const;
    QString text(const QString &field) const { return value(field).toString(); }
    // Sets a field of the current row; an edit starts implicitly in browse state.
    void setValue(const QString &field, const QVariant &value);
    void setValue(int column, const QVariant &value);

    // Cursor. Rows are numbered from 1; recNo() is 0 on an empty dataset.
    int recordCount() const { return int(rows_.size()); } // rows held so far
    int recNo() const { return rows_.empty() ? 0 : current_ + 1; }
    bool isEmpty() const { return rows_.empty(); }
    // Begin of data: the cursor tried to move before the first row; end of data: it tried to move
    // past the last row, after every packet was fetched. Both hold on an empty dataset. Opening,
    // first() and last() only place the cursor and clear them.
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    void first();
    void last(); // fetches every packet
    void next();
    void prior();
    int moveBy(int distance); // returns the distance moved
    void setRecNo(int recNo);
    bool allFetched() const { return cursorId_ == 0; }
    // Fetches one more packet; false when there was none.
    bool fetchPacket();
    void fetchAll();

    // Row access for views, without moving the cursor (0-based).
    const wire::Row &row(int index) const { return rows_[size_t(index)].values; }
    Bookmark bookmark() const;
    Bookmark bookmarkAt(int index) const { return rows_[size_t(index)].bookmark; }
    bool gotoBookmark(Bookmark bookmark);
    int indexOfBookmark(Bookmark bookmark) const;

    // Editing.
    void edit();
    void insert(); // before the current row
    void append(); // after the last row
    void post();
    void cancel();
    void remove(); // the current row

    // Change log.
    int changeCount() const;
    // Sends the change log; rows the server rejects stay in the log. Returns the number rejected.
    int applyUpdates();
    const QStringList &lastApplyErrors() const { return applyErrors_; }
    void cancelUpdates();
    // Reopens the command text and returns to the row with the same bookmark position.
    void refresh();

    // Events, each attachable and detachable.
    Event beforeInsert, afterInsert, beforePost, afterPost, beforeDelete, afterDelete, afterScroll, afterOpen;

    // While disabled, views are told nothing and after-scroll does not fire; enabling resets them.
    void disableControls() { ++disabled_; }
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

Q_SIGNALS:
    void reset();                      // opened, closed or reloaded: views rebuild
    void rowsAppended(int first, int last);
    void rowInserted(int index);
    void rowRemoved(int index);
    void rowChanged(int index);
    void currentChanged(int index);    // the cursor moved
    void stateChanged(State state);

private:
    struct RowData {
        wire::Row values;
        Bookmark bookmark = 0;
        enum class Status { Unchanged, Modified, Inserted } status = Status::Unchanged;
        std::optional<wire::Row> original; // the values as read, for a modified row
    };

    void requireActive() const;
    void requireBrowse();
    void adopt(wire::Packet &&packet);
    void setState(State state);
    void scrolled(int oldIndex, bool notify = true);
    void startRow(bool atEnd);
    bool ensureRow(int index); // fetches packets until row `index` exists
    void closeCursor();
    int columnOf(const QString &field) const;

    QString name_;
    QString provider_;
    int packetSize_;
    wire::ClientConnection *connection_ = nullptr;
    QString commandText_;
    State state_ = State::Inactive;
    std::vector<wire::Column> columns_;
    std::vector<RowData> rows_;
    int current_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    qint64 cursorId_ = 0;
    Bookmark nextBookmark_ = 1;
    std::vector<RowData> deleted_;     // rows deleted since the last apply, as read
    std::optional<RowData> editBackup_; // the row before the current edit
    int disabled_ = 0;
    QStringList applyErrors_;
};

} // namespace data
