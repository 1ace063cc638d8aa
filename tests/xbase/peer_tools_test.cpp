// Round trips with independent xBase readers and writers: Debian's XBase Perl tools
// (dbf_dump, index_dump) and python3-dbf.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "fixtures/xbase_test_util.h"

namespace corvane::xbase {
namespace {

using testing::AddPerson;
using testing::Names;
using testing::PeopleFields;

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLatin1(p.readAllStandardOutput());
    r.err = QString::fromLatin1(p.readAllStandardError());
    return r;
}

QString tool(const char* name) {
    const QString path = QStandardPaths::findExecutable(name);
    return path;
}

const char* kPython = "/usr/bin/python3";

bool pythonDbfAvailable() {
    return QFileInfo(kPython).isExecutable() && run(kPython, {"-c", "import dbf"}).exitCode == 0;
}

// Keys of one tag as index_dump lists them (key, then record number), in stored order.
std::vector<std::pair<QString, int>> indexDump(const QString& cdx, const QString& tag) {
    const ToolRun r = run(tool("index_dump"), {"--type=char", cdx, tag});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    std::vector<std::pair<QString, int>> keys;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const int space = line.lastIndexOf(' ');
        keys.emplace_back(line.left(space), line.mid(space + 1).toInt());
    }
    return keys;
}

class PeerTools : public ::testing::Test {
  protected:
    // Four people, record 3 ("bob") marked for deletion, four tags.
    void writeTable() {
        path_ = dir_.filePath("PEOPLE.DBF");
        XbaseTable t;
        ASSERT_TRUE(XbaseTable::create(path_, PeopleFields()));
        ASSERT_TRUE(t.open(path_, OpenMode::Exclusive));
        AddPerson(t, "carol", "Oslo", "19800102", 7.5, true);
        AddPerson(t, "Alice", "Bergen", "19751231", 3, false);
        AddPerson(t, "bob", "Oslo", "", 9, true);
        AddPerson(t, "Alice", "Tromso", "19900101", 1, false);
        for (int i = 0; i < 600; ++i)  // enough keys for several levels of nodes
            AddPerson(t, QString("p%1").arg(i * 7919 % 600, 4, 10, QChar('0')), "X", "20000101");
        ASSERT_TRUE(t.createTag({"NAME", "UPPER(NAME)", ".not. deleted()", false, false}));
        ASSERT_TRUE(t.createTag({"BORN", "DTOS(BORN)+CITY", ".not. deleted()", false, true}));
        ASSERT_TRUE(t.createTag({"UCITY", "UPPER(CITY)", ".not. deleted()", true, false}));
        ASSERT_TRUE(t.go(3));
        ASSERT_TRUE(t.deleteRecord());  // maintained, not rebuilt
        // And a record added after the tags were built.
        AddPerson(t, "Aaron", "Oslo", "19991231", 2, true);
        ASSERT_TRUE(t.commit());
    }

    QTemporaryDir dir_;
    QString path_;
};

TEST_F(PeerTools, DbfDumpReadsOurTable) {
    if (tool("dbf_dump").isEmpty()) GTEST_SKIP() << "dbf_dump not installed";
    writeTable();
    const ToolRun info = run(tool("dbf_dump"), {"--info", path_});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains("Num of records:\t605")) << info.out.toStdString();
    const ToolRun dump = run(tool("dbf_dump"), {"--fs", "|", path_});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    const QStringList lines = dump.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 604);  // the deleted record is not dumped
    EXPECT_EQ(lines[0].toStdString(), "carol|Oslo|19800102|7.5|1");
    EXPECT_EQ(lines[1].toStdString(), "Alice|Bergen|19751231|3|0");
    EXPECT_EQ(lines[2].toStdString(), "Alice|Tromso|19900101|1|0");
    EXPECT_EQ(lines.last().toStdString(), "Aaron|Oslo|19991231|2|1");
}

TEST_F(PeerTools, IndexDumpListsEveryTagWithItsKeysInOrder) {
    if (tool("index_dump").isEmpty()) GTEST_SKIP() << "index_dump not installed";
    writeTable();
    const QString cdx = XbaseTable::indexPathFor(path_);
    // Listing the tags needs a key type too, as the tool opens the first tag.
    const ToolRun tags = run(tool("index_dump"), {"--type=char", cdx});
    ASSERT_EQ(tags.exitCode, 0) << tags.err.toStdString();
    EXPECT_EQ(tags.out.split('\n', Qt::SkipEmptyParts), (QStringList{"BORN", "NAME", "UCITY"}));

    const auto name = indexDump(cdx, "NAME");
    ASSERT_EQ(name.size(), 604u);
    EXPECT_EQ(name[0], (std::pair<QString, int>{"AARON", 605}));
    EXPECT_EQ(name[1], (std::pair<QString, int>{"ALICE", 2}));
    EXPECT_EQ(name[2], (std::pair<QString, int>{"ALICE", 4}));
    EXPECT_EQ(name[3], (std::pair<QString, int>{"CAROL", 1}));
    EXPECT_EQ(name[4].first, "P0000");
    for (size_t i = 1; i < name.size(); ++i) EXPECT_LE(name[i - 1].first, name[i].first);
    for (const auto& entry : name) EXPECT_NE(entry.second, 3) << "deleted record in the tag";

    // A descending tag keeps its keys ascending in the file, as the other tool reads them.
    const auto born = indexDump(cdx, "BORN");
    ASSERT_EQ(born.size(), 604u);
    for (size_t i = 1; i < born.size(); ++i) EXPECT_LE(born[i - 1].first, born[i].first);
    EXPECT_EQ(born.front(), (std::pair<QString, int>{"19751231Bergen", 2}));

    const auto city = indexDump(cdx, "UCITY");  // unique
    std::vector<std::pair<QString, int>> expected = {
        {"BERGEN", 2}, {"OSLO", 1}, {"TROMSO", 4}, {"X", 5}};
    EXPECT_EQ(city, expected);
}

TEST_F(PeerTools, PythonDbfReadsOurTable) {
    if (!pythonDbfAvailable()) GTEST_SKIP() << "python3-dbf not installed";
    writeTable();
    const ToolRun r =
        run(kPython,
            {"-c",
             "import dbf, sys\n"
             "t = dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY)\n"
             "for rec in t:\n"
             "    if dbf.is_deleted(rec): print('deleted', rec.name.strip()); continue\n"
             "    if rec.city.strip() == 'X': continue\n"
             "    print(rec.name.strip(), rec.city.strip(), rec.born, rec.score, rec.active)\n",
             path_});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts),
              (QStringList{"carol Oslo 1980-01-02 7.5 True", "Alice Bergen 1975-12-31 3.0 False",
                           "deleted bob", "Alice Tromso 1990-01-01 1.0 False",
                           "Aaron Oslo 1999-12-31 2.0 True"}));
}

// Character fields are code page 1252 both ways, as the table header declares.
TEST_F(PeerTools, PythonDbfReadsAndWritesCodePage1252Text) {
    if (!pythonDbfAvailable()) GTEST_SKIP() << "python3-dbf not installed";
    const QString ours = QString::fromUtf8("5€ Šimon œ„™Ž");
    const QString theirs = QString::fromUtf8("Škoda ‰ ÿ");
    const QString path = dir_.filePath("TEXT.DBF");
    {
        XbaseTable t;
        ASSERT_TRUE(XbaseTable::create(path, PeopleFields()));
        ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
        AddPerson(t, ours, "X");
        AddPerson(t, "", "Y");
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PYTHONIOENCODING", "utf-8");
    p.setProcessEnvironment(env);
    p.start(kPython, {"-c",
                      "import dbf, sys\n"
                      "t = dbf.Table(sys.argv[1]); t.open(dbf.READ_WRITE)\n"
                      "print(t[0].name.strip())\n"
                      "with t[1] as r: r.name = sys.argv[2]\n"
                      "t.close()\n",
                      path, theirs});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed().toStdString(),
              ours.toStdString());
    XbaseTable t;
    ASSERT_TRUE(t.open(path, OpenMode::ReadOnly));
    ASSERT_TRUE(t.go(2));
    EXPECT_EQ(t.fieldText("NAME").toStdString(), theirs.toStdString());
}

TEST_F(PeerTools, TablesWrittenByPythonDbfOpenHere) {
    if (!pythonDbfAvailable()) GTEST_SKIP() << "python3-dbf not installed";
    for (const char* flavour : {"db3", "vfp"}) {
        SCOPED_TRACE(flavour);
        const QString path = dir_.filePath(QString("PY%1.DBF").arg(flavour));
        const ToolRun r = run(
            kPython,
            {"-c",
             "import dbf, sys, datetime\n"
             "t = dbf.Table(sys.argv[1], 'name C(20); city C(10); born D; score N(5,1); active L',"
             " dbf_type=sys.argv[2])\n"
             "t.open(dbf.READ_WRITE)\n"
             "t.append(('Zed', 'Oslo', datetime.date(2001,2,3), 4.5, True))\n"
             "t.append(('amy', 'Bergen', None, 1.0, False))\n"
             "t.append(('gone', 'Oslo', None, 0, False))\n"
             "dbf.delete(t[2])\n"
             "t.close()\n",
             path, flavour});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        XbaseTable t;
        ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
        t.setDeletedHidden(true);
        EXPECT_EQ(t.recCount(), 3u);
        ASSERT_TRUE(t.createTag({"NAME", "UPPER(NAME)", ".not. deleted()", false, false}));
        t.setOrder(1);
        EXPECT_EQ(Names(t), (std::vector<std::string>{"amy", "Zed"}));
        ASSERT_TRUE(t.seek("ZED"));
        EXPECT_EQ(t.fieldDate("BORN"), QDate(2001, 2, 3));
        EXPECT_DOUBLE_EQ(t.fieldNumber("SCORE"), 4.5);
        EXPECT_TRUE(t.fieldLogical("ACTIVE"));
        EXPECT_EQ(t.locate("EMPTY(BORN)", true, false).value(), 2u);
        // Our changes read back in python.
        ASSERT_TRUE(t.go(1));
        EXPECT_TRUE(t.replaceText("CITY", "Narvik"));
        t.close();
        const ToolRun back = run(kPython, {"-c",
                                           "import dbf, sys\n"
                                           "t = dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY)\n"
                                           "print(t[0].city.strip())\n",
                                           path});
        ASSERT_EQ(back.exitCode, 0) << back.err.toStdString();
        EXPECT_EQ(back.out.trimmed().toStdString(), "Narvik");
    }
}

}  // namespace
}  // namespace corvane::xbase
