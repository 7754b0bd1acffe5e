#pragma once
// TDataModule1: the connection to velbor-server (`sk`), every shared dataset under its own name,
// their events (rights checks, stamps, confirmations) and the access record.

#include "app/main_state.h"
#include "client_dataset.h"
#include "working_copy_lists.h"

#include <QObject>
#include <functional>
#include <memory>

namespace data {

class TDataModule1 : public QObject {
    Q_OBJECT
public:
    TDataModule1(app::MainState &mainState, WorkingCopyLists &lists, QObject *parent = nullptr);
    ~TDataModule1() override;

    // The socket connection: host and port are set before connecting.
    wire::ClientConnection sk;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 211;
    void connect(); // opens `sk` with host and port; throws ServerError
    void disconnect();
    QCborValue callServer(const QString &method, const QCborValue &argument = {});

    ClientDataSet khzl, me, s1, s2, s3, s4, zh, zidian, ygzh, ygzm, runsql, fwjl, hydm, Set_Table, post;
    std::vector<ClientDataSet *> datasets();

    // State the data module holds.
    QString currentTable;
    const int pageSize = 3000;
    qint64 totalRows = 0;
    qint64 boundaryId = 0;
    int viewNumber = 0;
    QString serverDate;
    QString serverTime;
    int confirmationAnswer = 0;
    bool suppressEntryForms = false;
    QString dictionaryField; // the dictionary field being edited, stamped into new `zidian` rows

    // Fetches the server's date and time while connected; otherwise the last values stay.
    void Get_Date_Time();
    // The notice box.
    void ShowMessage_jd(const QString &text);
    // The confirmation box; the answer is kept in confirmationAnswer.
    bool confirm(const QString &question);
    // A right of the logged-in group: a boolean column of the login row `zh`.
    bool right(const QString &column) const;
    // Appends, posts and sends one row of 访问记录 at once; an empty content is never sent.
    void writeAccessRecord(const QString &content, const QString &sql = {});
    // Opens the access record empty, for appending.
    void openAccessRecord();

    // Windows of later subsystems that the events open, and the status bar's grid position.
    std::function<void()> openCustomerEntryForm, openSenderEntryForm;
    std::function<void(const QString &)> showGridPosition;

private:
    void attachEvents();
    void showPosition(ClientDataSet &dataSet);

    app::MainState &main_;
    WorkingCopyLists &lists_;
};

// The login row's user name and group; used for stamps and rights.
QString loginGroup(const TDataModule1 &dm);

} // namespace data
