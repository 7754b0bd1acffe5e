#pragma once
// A client logged in to an account set of a test server, as the main window leaves it after login.

#include "app/main_state.h"
#include "data/data_module.h"
#include "data/sql_text.h"
#include "support/server_fixture.h"

namespace testing {

struct AdminClient {
    app::MainState state;
    data::WorkingCopyLists lists;
    data::TDataModule1 dm{state, lists};

    AdminClient(const ServerFixture &server, const QString &accountSet, const QString &user = QStringLiteral("admin"),
                const QString &password = QStringLiteral("1"))
    {
        state.loginUser = user;
        state.accountSet = accountSet;
        dm.host = server.host();
        dm.port = server.port();
        dm.connect();
        dm.callServer(QStringLiteral("testmima"), loginArgument(accountSet, user, password));
        dm.zh.setCommandText(data::SqlText{"Select * from 员工账号,组权限",
                                           "where 用户名称 ='" + data::sqlValue(user) + "'",
                                           "and 密码 ='" + data::sqlValue(password) + "'", "and 组名=所属组名"}
                                 .text());
        dm.zh.open();
        dm.Get_Date_Time();
        dm.openAccessRecord();
    }
    QStringList rows(const QString &sql) { return rowsOf(dm.sk, sql); }
    void run(const QString &sql) { dm.sk.execute(QStringLiteral("runsql_dp"), sql); }
};

// A fresh account set per call, so each test starts from the starter data.
inline QString freshAccountSet()
{
    static int n = 0;
    return QStringLiteral("账套%1").arg(++n);
}

} // namespace testing
