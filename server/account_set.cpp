#include "account_set.h"

#include "server/sql/engine.h"

#include <QFile>
#include <QMutex>
#include <sqlite3.h>

namespace server {

namespace {

QMutex creationLock;

// Columns every directory table shares, after `ID`.
const char *const directoryColumns = R"(
  对勾 varchar(2) null, 公司名称 varchar(100) null, 联系人 varchar(30) null, 职务 varchar(30) null,
  电话 varchar(40) null, 手机 varchar(30) null, 传真 varchar(40) null, 邮政编码 varchar(10) null,
  省市 varchar(30) null, 县市 varchar(30) null, 公司地址 varchar(200) null, 地区 varchar(30) null,
  区号 varchar(10) null, 公司类型 varchar(30) null, 行业名称 varchar(60) null, 行业代码 varchar(20) null,
  Email varchar(60) null, 网址 varchar(100) null, 数据分类1 varchar(50) null, 数据分类2 varchar(50) null,
  数据分类3 varchar(50) null, 数据分类4 varchar(50) null, 备注 text null, 录入 varchar(30) null,
  录入组 varchar(30) null, 录入日期 varchar(10) null, 修改 varchar(30) null, 修改日期 varchar(10) null,
  密级 int null, 权限组 varchar(200) null)";

const char *const indexedColumns[] = {"行业名称", "地区",      "省市",      "县市",      "公司类型", "数据分类1",
                                      "数据分类2", "数据分类3", "数据分类4", "ID",        "录入",     "密级",
                                      "录入组",   "权限组",    "行业代码",  "区号"};

const char *const rights[] = {"管理员",   "录入数据", "查询数据",     "修改数据",     "导入数据",
                              "导出数据", "删除数据", "清空数据",     "修改他人数据", "删除他人数据",
                              "创建新表", "删除旧表", "修改结构",     "合并去重",     "打印信封",
                              "打印名录列表", "修改一列字段内容", "限制查询", "组内共享", "修改行业代码"};

const char *const postalCodes[][3] = {
    {"100000", "北京市", "北京市"}, {"200000", "上海市", "上海市"}, {"300000", "天津市", "天津市"},
    {"400000", "重庆市", "重庆市"}, {"510000", "广东省", "广州市"}, {"518000", "广东省", "深圳市"},
    {"310000", "浙江省", "杭州市"}, {"210000", "江苏省", "南京市"}, {"430000", "湖北省", "武汉市"},
    {"610000", "四川省", "成都市"}, {"710000", "陕西省", "西安市"}, {"250000", "山东省", "济南市"}};

const char *const industries[][2] = {
    {"A", "农、林、牧、渔业"}, {"B", "采矿业"}, {"C", "制造业"},
    {"D", "电力、热力、燃气及水生产和供应业"}, {"E", "建筑业"}, {"F", "批发和零售业"},
    {"G", "交通运输、仓储和邮政业"}, {"H", "住宿和餐饮业"}, {"I", "信息传输、软件和信息技术服务业"},
    {"J", "金融业"}, {"K", "房地产业"}, {"L", "租赁和商务服务业"}, {"M", "科学研究和技术服务业"},
    {"N", "水利、环境和公共设施管理业"}, {"O", "居民服务、修理和其他服务业"}, {"P", "教育"},
    {"Q", "卫生和社会工作"}, {"R", "文化、体育和娱乐业"}, {"S", "公共管理、社会保障和社会组织"},
    {"T", "国际组织"}};

QString identityTable(const QString &name, const QString &columns)
{
    return QStringLiteral("create table %1 (ID int identity(1,1) primary key, %2)").arg(name, columns);
}

} // namespace

const QStringList &systemTables()
{
    static const QStringList tables{"员工账号",   "组权限",   "表权限",   "访问记录",     "用户基本资料",
                                   "邮政编码",   "行业代码", "数据字典", "数据分类",     "企业名录",
                                   "数据基本数据", "库房对应表", TemplateTable};
    return tables;
}

bool isValidAccountSetName(const QString &name)
{
    if (name.isEmpty() || name.size() > 100 || name.startsWith(u'.') || name.trimmed() != name)
        return false;
    for (QChar c : name)
        if (c.category() == QChar::Other_Control || c == u'/' || c == u'\\' || c == u':')
            return false;
    return true;
}

QString AccountSets::pathOf(const QString &name) const { return QDir(dataDir_).filePath(name + ".db"); }

QStringList accountSetSchema()
{
    QStringList s;
    s << identityTable(TemplateTable, directoryColumns);
    QStringList rightColumns;
    for (const char *r : rights)
        rightColumns << QStringLiteral("%1 bit null").arg(QString::fromUtf8(r));
    s << identityTable("组权限", "组名 varchar(30) not null, 查看密级 int null, 显示数据 int null, " +
                                     rightColumns.join(", "));
    s << identityTable("员工账号", "用户名称 varchar(30) not null, 密码 varchar(30) not null, "
                                   "所属组名 varchar(30) not null, 查询宽度 int null, 查询输入 bit null, "
                                   "下载速度 int null");
    s << "create table 表权限 (组名 varchar(30) null, 表名 varchar(100) null, ID int identity(1,1) primary key)";
    s << identityTable("访问记录", "访问人 varchar(30) null, 访问日期 varchar(10) null, 访问时间 varchar(20) null, "
                                   "访问内容 varchar(500) null, sql语句 text null");
    s << identityTable("用户基本资料",
                       "公司名称 varchar(100) null, 联系人 varchar(30) null, 职务 varchar(30) null, "
                       "电话 varchar(40) null, 手机 varchar(30) null, 传真 varchar(40) null, "
                       "邮政编码 varchar(10) null, 省市 varchar(30) null, 县市 varchar(30) null, "
                       "公司地址 varchar(200) null, Email varchar(60) null, 网址 varchar(100) null, 备注 text null");
    s << identityTable("邮政编码", "邮政编码 varchar(10) null, 省市 varchar(30) null, 县市 varchar(30) null");
    s << identityTable("行业代码", "行业代码 varchar(20) null, 行业名称1 varchar(60) null, "
                                   "行业名称2 varchar(60) null, 行业名称3 varchar(60) null, 行业名称4 varchar(60) null");
    s << identityTable("数据字典", "字段名称 varchar(50) null, 字典内容 varchar(100) null");
    s << identityTable("数据分类", "数据分类1 varchar(50) null, 数据分类2 varchar(50) null, "
                                   "数据分类3 varchar(50) null, 数据分类4 varchar(50) null");
    s << identityTable("数据基本数据", "数据编号 varchar(50) null, 公司名称 varchar(100) null");
    s << identityTable("库房对应表", "地方名称 varchar(50) null, 库房名称 varchar(50) null, 区域 varchar(50) null");
    s << QStringLiteral("select top 0 *  into 企业名录 from  %1").arg(TemplateTable);
    s << QStringLiteral("select top 0 *  into 客户基本数据 from  %1").arg(TemplateTable);
    for (const char *column : indexedColumns)
        s << QStringLiteral("create index %1索引 on 客户基本数据(%1)").arg(QString::fromUtf8(column));

    QStringList trueRights;
    for (int i = 0; i < int(std::size(rights)); ++i)
        trueRights << (QString::fromUtf8(rights[i]) == "限制查询" ? "0" : "1");
    s << QStringLiteral("insert into 组权限 (组名, 查看密级, 显示数据, %1) values ('%2', 9, 1000, %3)")
             .arg(rightColumns.join(", ").remove(" bit null"), DefaultGroup, trueRights.join(", "));
    s << QStringLiteral("insert into 员工账号 (用户名称, 密码, 所属组名, 查询宽度, 查询输入, 下载速度) "
                        "values ('%1', '%2', '%3', 150, 0, 1000)")
             .arg(DefaultUser, DefaultPassword, DefaultGroup);
    QStringList postal;
    for (const auto &p : postalCodes)
        postal << QStringLiteral("('%1', '%2', '%3')").arg(p[0], QString::fromUtf8(p[1]), QString::fromUtf8(p[2]));
    s << "insert into 邮政编码 (邮政编码, 省市, 县市) values " + postal.join(", ");
    QStringList industry;
    for (const auto &i : industries)
        industry << QStringLiteral("('%1', '%2')").arg(i[0], QString::fromUtf8(i[1]));
    s << "insert into 行业代码 (行业代码, 行业名称1) values " + industry.join(", ");
    return s;
}

namespace {

sqlite3 *openFile(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        throw sql::SqlError(QStringLiteral("无法打开账套数据库: %1").arg(message));
    }
    sqlite3_busy_timeout(db, 15000);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA temp_store=MEMORY;", nullptr,
                 nullptr, nullptr);
    return db;
}

} // namespace

void AccountSets::create(const QString &name) const
{
    // Built under a scratch name and renamed, so a failure never leaves a half-made account set.
    const QString path = pathOf(name);
    const QString scratch = path + ".new";
    QFile::remove(scratch);
    sqlite3 *db = openFile(scratch, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    try {
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sql::SqliteEngine(db).execute(accountSetSchema().join("\r\n"));
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(scratch);
        throw;
    }
    sqlite3_close(db);
    if (!QFile::rename(scratch, path)) {
        QFile::remove(scratch);
        throw sql::SqlError(QStringLiteral("无法创建账套: %1").arg(name));
    }
}

sqlite3 *AccountSets::open(const QString &name) const
{
    if (!isValidAccountSetName(name))
        throw sql::SqlError(QStringLiteral("账套名称无效: %1").arg(name));
    {
        QMutexLocker lock(&creationLock);
        if (!QFile::exists(pathOf(name))) {
            if (!mayCreate_)
                throw sql::SqlError(QStringLiteral("账套不存在: %1").arg(name));
            QDir().mkpath(dataDir_);
            create(name);
        }
    }
    return openFile(pathOf(name), SQLITE_OPEN_READWRITE);
}

} // namespace server
