// End-to-end cost of velbor-server over loopback against the same SQL run on SQLite in-process,
// on a 1,000,000-row directory table. Prints a Markdown table of medians and ratios.

#include "browse/page_statement.h"
#include "data/sql_text.h"
#include "search/single_field_search.h"
#include <QTemporaryDir>
#include "data/client_dataset.h"
#include "data/dataset_model.h"
#include "server/sql/engine.h"
#include "support/server_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <sqlite3.h>

namespace {

constexpr int Rows = 1'000'000;
constexpr int PageSize = 3000;

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString pageStatement(const QString &table, int page) { return browse::pageStatement(table, page, PageSize); }

// The directory dataset opening a page until its grid model has rows to show.
int openInGrid(data::ClientDataSet &khzl, const QString &statement)
{
    khzl.close();
    khzl.setCommandText(statement);
    khzl.open();
    data::DataSetModel model(&khzl);
    return model.rowCount();
}

// Reads every row into values, as a client holds them.
size_t readAll(sql::SqliteEngine &engine, const QString &statement)
{
    auto query = engine.openQuery(statement);
    sqlite3_stmt *s = query->stmt();
    const int n = sqlite3_column_count(s);
    std::vector<std::vector<QVariant>> rows;
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::vector<QVariant> row(n);
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(s, i)) {
            case SQLITE_INTEGER: row[i] = qint64(sqlite3_column_int64(s, i)); break;
            case SQLITE_FLOAT: row[i] = sqlite3_column_double(s, i); break;
            case SQLITE_TEXT:
                row[i] = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)),
                                           sqlite3_column_bytes(s, i));
                break;
            default: break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows.size();
}

size_t fetchAll(wire::ClientConnection &c, const QString &statement)
{
    wire::Packet packet = c.openQuery(QStringLiteral("khzl_dp"), statement, 500);
    size_t n = packet.rows.size();
    std::vector<wire::Row> rows = std::move(packet.rows);
    while (!packet.eof) {
        packet = c.fetch(packet.cursor, 500);
        n += packet.rows.size();
        std::move(packet.rows.begin(), packet.rows.end(), std::back_inserter(rows));
    }
    return n;
}

void fill(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 名录 (对勾, 公司名称, 联系人, 电话, 邮政编码, 省市, 县市, 公司地址, 录入, 录入日期, 密级) "
                       "values ('√', ?1, ?2, ?3, ?4, ?5, ?6, ?7, 'admin', '2026-12-01', 0)",
                       -1, &insert, nullptr);
    const char *provinces[] = {"北京市", "上海市", "广东省", "浙江省", "江苏省", "四川省"};
    for (int i = 1; i <= Rows; ++i) {
        const QByteArray company = QStringLiteral("第%1号贸易有限公司").arg(i).toUtf8();
        const QByteArray person = QStringLiteral("联系人%1").arg(i % 997).toUtf8();
        const QByteArray phone = QByteArray::number(13800000000LL + i);
        const QByteArray postal = QByteArray::number(100000 + i % 800000);
        const QByteArray address = QStringLiteral("人民路%1号").arg(i % 5000).toUtf8();
        sqlite3_bind_text(insert, 1, company.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, person.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, phone.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, postal.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, provinces[i % 6], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, provinces[(i / 7) % 6], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 7, address.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // As in the client: pages of rows come and go, and the heap keeps what they free.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    testing::ServerFixture server;
    if (!server.isRunning()) {
        std::fputs("velbor-server did not start\n", stderr);
        return 1;
    }
    auto client = server.connect(QStringLiteral("bench"));
    client->execute(QStringLiteral("runsql_dp"), QStringLiteral("select top 0 *  into 名录 from  默认表结构\r\n"
                                                                "create index 省市索引 on 名录(省市)"));
    const QString path = server.dataDir() + "/bench.db";
    std::fprintf(stderr, "filling %d rows...\n", Rows);
    fill(path);

    sqlite3 *direct = nullptr;
    sqlite3_open(path.toUtf8().constData(), &direct);
    sqlite3_exec(direct, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA temp_store=MEMORY;", nullptr, nullptr, nullptr);
    sql::SqliteEngine engine(direct);

    struct Case {
        const char *name;
        int runs;
        std::function<void()> server, raw;
    };
    const QString search = QStringLiteral("select  *  into #admin from\r\n (select * from  名录\r\nwhere 公司名称 like "
                                          "'%99号%'\r\n) as t\r\ncreate index ID索引 on #admin(ID)");
    auto dropCopy = [](auto &&run) { try { run(QStringLiteral("drop table #admin")); } catch (...) {} };

    // The change set: 1000 rows of page 2 with a new contact, located by all their old values.
    const wire::Packet page = client->openQuery(QStringLiteral("khzl_dp"), pageStatement("名录", 2), wire::AllRows);
    int round = 0;
    auto changesFor = [&](const QString &tag) {
        std::vector<wire::Change> changes;
        for (int i = 0; i < 1000; ++i) {
            wire::Change c;
            for (size_t k = 0; k < page.columns.size(); ++k)
                c.oldValues[page.columns[k].name] = page.rows[i][k];
            c.oldValues.remove(QStringLiteral("联系人")); // changed by every round
            c.newValues[QStringLiteral("联系人")] = tag;
            changes.push_back(std::move(c));
        }
        return changes;
    };
    auto rawApply = [&](const std::vector<wire::Change> &changes) {
        sqlite3_exec(direct, "begin immediate", nullptr, nullptr, nullptr);
        for (const wire::Change &c : changes) {
            QStringList where;
            for (auto it = c.oldValues.cbegin(); it != c.oldValues.cend(); ++it)
                where << sql::quoteIdentifier(it.key()) + " is ?";
            const QString text = "update \"名录\" set \"联系人\"=? where " + where.join(" and ");
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(direct, text.toUtf8().constData(), -1, &s, nullptr);
            const QByteArray v = c.newValues.first().toString().toUtf8();
            sqlite3_bind_text(s, 1, v.constData(), -1, SQLITE_TRANSIENT);
            int i = 2;
            for (auto it = c.oldValues.cbegin(); it != c.oldValues.cend(); ++it, ++i) {
                const QVariant &value = it.value();
                if (value.isNull())
                    sqlite3_bind_null(s, i);
                else if (value.typeId() == QMetaType::LongLong)
                    sqlite3_bind_int64(s, i, value.toLongLong());
                else {
                    const QByteArray t = value.toString().toUtf8();
                    sqlite3_bind_text(s, i, t.constData(), -1, SQLITE_TRANSIENT);
                }
            }
            sqlite3_step(s);
            sqlite3_finalize(s);
        }
        sqlite3_exec(direct, "commit", nullptr, nullptr, nullptr);
    };

    data::ClientDataSet khzl(QStringLiteral("khzl"), QStringLiteral("khzl_dp"), 500);
    khzl.setConnection(client.get());

    // The whole single-field search as the main window runs it: working copy, count, first page.
    app::MainState state;
    state.loginUser = QStringLiteral("admin");
    data::WorkingCopyLists lists;
    data::TDataModule1 dm(state, lists);
    dm.host = server.host();
    dm.port = server.port();
    dm.connect();
    dm.callServer(QStringLiteral("testmima"), testing::loginArgument(QStringLiteral("bench"), state.loginUser, "1"));
    dm.zh.setCommandText(data::SqlText{"Select * from 员工账号,组权限", "where 用户名称 ='admin'", "and 密码 ='1'",
                                       "and 组名=所属组名"}
                             .text());
    dm.zh.open();
    browse::TableBrowser browser(dm, state, lists);
    browse::WorkingCopy copy(dm, state, lists, browser);
    QTemporaryDir home;
    search::SingleFieldSearch searcher(dm, state, browser, copy, app::ProgramFolder(home.path()));
    dm.currentTable = QStringLiteral("名录");
    const QString firstCopyPage = pageStatement(QStringLiteral("#admin"), 1);

    std::vector<Case> cases{
        {"single-field search, first page shown", 5,
         [&] { searcher.Search_One_Field(QStringLiteral("公司名称"), QStringLiteral("99号")); },
         [&] {
             dropCopy([&](const QString &s) { engine.execute(s); });
             engine.execute(search);
             readAll(engine, QStringLiteral("Select  count(*) as count1 from #admin"));
             readAll(engine, QStringLiteral("Select  max(ID) as count1 from #admin"));
             readAll(engine, firstCopyPage);
         }},
        {"grid shows page 1 (client dataset, first packet)", 21, [&] { openInGrid(khzl, pageStatement("名录", 1)); },
         [&] { readAll(engine, pageStatement("名录", 1)); }},
        {"grid shows page 300 (client dataset, first packet)", 11,
         [&] { openInGrid(khzl, pageStatement("名录", 300)); },
         [&] { readAll(engine, pageStatement("名录", 300)); }},
        {"page 1 (3000 rows)", 21, [&] { fetchAll(*client, pageStatement("名录", 1)); },
         [&] { readAll(engine, pageStatement("名录", 1)); }},
        {"page 300 (3000 rows)", 11, [&] { fetchAll(*client, pageStatement("名录", 300)); },
         [&] { readAll(engine, pageStatement("名录", 300)); }},
        {"count", 11, [&] { fetchAll(*client, QStringLiteral("Select  count(*) as count1 from 名录")); },
         [&] { readAll(engine, QStringLiteral("Select  count(*) as count1 from 名录")); }},
        {"contains search into #user", 5,
         [&] {
             dropCopy([&](const QString &s) { client->execute(QStringLiteral("runsql_dp"), s); });
             client->execute(QStringLiteral("runsql_dp"), search);
         },
         [&] {
             dropCopy([&](const QString &s) { engine.execute(s); });
             engine.execute(search);
         }},
        {"change set of 1000 updated rows", 9,
         [&] { client->apply(QStringLiteral("khzl_dp"), QStringLiteral("select * from 名录"), changesFor(QString::number(++round))); },
         [&] { rawApply(changesFor(QString::number(++round))); }},
    };

    std::printf("| operation | server (ms) | SQLite direct (ms) | ratio |\n|---|---:|---:|---:|\n");
    for (const Case &c : cases) {
        c.server();
        c.raw();
        const double s = medianMs(c.runs, c.server);
        const double r = medianMs(c.runs, c.raw);
        std::printf("| %s | %.2f | %.2f | %.2f |\n", c.name, s, r, s / r);
        std::fflush(stdout);
    }
    sqlite3_close(direct);
    return 0;
}
