// The help pages against the code that opens them: every topic a window asks for has a page,
// every link between pages leads somewhere, and the help window shows the topic asked for.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#include "uicommon/help_index.h"
#include "uicommon/help_window.h"

namespace corvane {
namespace {

QString SourceTree() {
    return qEnvironmentVariable("CORVANE_SOURCE_DIR");
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every topic the code asks for: the literal second argument of ShowHelpTopic and
// SetHelpTopic, and the topics of tables that pair a caption with a topic for a menu
// (`{"Caption", "topic"}` rows of a table whose name ends in HelpTopics, such as the Help menu's).
// A call whose topic is not a literal, in a file without such a table, is reported, so that no
// topic escapes this test.
struct TopicUse {
    QString topic;
    QString where;
};

std::vector<TopicUse> TopicsUsedInCode(QStringList* nonLiteral) {
    static const QRegularExpression call(
        R"re((ShowHelpTopic|SetHelpTopic)\s*\(\s*[^;]*?,\s*("([^"]*)"|[^)]*)\))re");
    static const QRegularExpression table(R"re(Help\w*Topics\[\]\s*=\s*\{(.*?)\};)re",
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression row(R"re(\{\s*"[^"]*"\s*,\s*"([^"]+)"\s*\})re");
    std::vector<TopicUse> uses;
    QDirIterator it(SourceTree() + "/src", {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains("/uicommon/help_")) continue;  // the definitions themselves
        const QString text = ReadText(path);
        const QString where = QDir(SourceTree()).relativeFilePath(path);
        bool hasTable = false;
        for (const QRegularExpressionMatch& t : table.globalMatch(text)) {
            hasTable = true;
            for (const QRegularExpressionMatch& r : row.globalMatch(t.captured(1)))
                uses.push_back({r.captured(1), where});
        }
        for (const QRegularExpressionMatch& m : call.globalMatch(text)) {
            if (!m.captured(2).startsWith('"')) {
                // A variable topic is fine where the file's own table supplies it.
                if (!hasTable) nonLiteral->append(where + ": " + m.captured(0));
            } else {
                uses.push_back({m.captured(3), where});
            }
        }
    }
    return uses;
}

TEST(HelpPages, EveryTopicTheCodeOpensHasAPage) {
    const HelpIndex pages = HelpIndex::load(SourceTree() + "/data/help");
    ASSERT_FALSE(pages.topics().isEmpty());
    QStringList nonLiteral;
    const std::vector<TopicUse> uses = TopicsUsedInCode(&nonLiteral);
    EXPECT_TRUE(nonLiteral.isEmpty()) << "help topics must be literals:\n"
                                      << nonLiteral.join('\n').toStdString();
    ASSERT_GE(uses.size(), 8u) << "the scan found too few uses: is the pattern still right?";
    for (const TopicUse& use : uses)
        EXPECT_TRUE(pages.contains(use.topic))
            << use.where.toStdString() << " opens help topic \"" << use.topic.toStdString()
            << "\", which no page carries (id=\"topic-" << use.topic.toStdString() << "\")";
}

TEST(HelpPages, EveryLinkLeadsToAPageAndAnchor) {
    const QString folder = SourceTree() + "/data/help";
    static const QRegularExpression link(R"re(href="([^"#]*)(#([^"]*))?")re");
    static const QRegularExpression id(R"re(\bid="([^"]+)")re");
    QHash<QString, QSet<QString>> anchors;
    const QStringList pages = QDir(folder).entryList({"*.html"}, QDir::Files);
    for (const QString& page : pages)
        for (const QRegularExpressionMatch& m : id.globalMatch(ReadText(folder + "/" + page)))
            anchors[page].insert(m.captured(1));
    int links = 0;
    for (const QString& page : pages) {
        for (const QRegularExpressionMatch& m : link.globalMatch(ReadText(folder + "/" + page))) {
            const QString target = m.captured(1).isEmpty() ? page : m.captured(1);
            if (target.contains(':')) continue;  // no external links are expected, but allowed
            ++links;
            EXPECT_TRUE(QFile::exists(folder + "/" + target))
                << page.toStdString() << " links to missing " << target.toStdString();
            if (!m.captured(3).isEmpty()) {
                EXPECT_TRUE(anchors[target].contains(m.captured(3)))
                    << page.toStdString() << " links to missing anchor " << target.toStdString()
                    << "#" << m.captured(3).toStdString();
            }
        }
    }
    EXPECT_GT(links, pages.size());
}

TEST(HelpPages, TheProgramCarriesEveryShippedPage) {
    const HelpIndex source = HelpIndex::load(SourceTree() + "/data/help");
    const HelpIndex builtIn = HelpIndex::load(":/help");
    EXPECT_EQ(builtIn.pages(), source.pages());
    QStringList builtInTopics = builtIn.topics(), sourceTopics = source.topics();
    builtInTopics.sort();
    sourceTopics.sort();
    EXPECT_EQ(builtInTopics, sourceTopics);
}

TEST(HelpWindow, ShowsTheTopicAskedForAndFallsBackToTheContents) {
    const struct {
        const char* topic;
        const char* page;
        const char* fragment;
    } cases[] = {
        {"1016", "sending.html", "topic-1016"},
        {"quick-start", "quick-start.html", "topic-quick-start"},
        {"no-such-topic", "index.html", ""},
    };
    for (const auto& c : cases) {
        ShowHelpTopic(nullptr, c.topic);
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "HelpWindow" && w->isVisible()) window = w;
        ASSERT_NE(window, nullptr) << c.topic;
        auto* browser = window->findChild<QTextBrowser*>("HelpBrowser");
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(browser->source().path().endsWith(QString("/") + c.page))
            << c.topic << " shows " << browser->source().toString().toStdString();
        EXPECT_EQ(browser->source().fragment(), c.fragment) << c.topic;
        EXPECT_FALSE(browser->toPlainText().trimmed().isEmpty()) << c.topic;
    }
    // One window serves every request.
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "HelpWindow") ++windows;
    EXPECT_EQ(windows, 1);
}

// Every window class (a QDialog or QMainWindow subclass in the sources) names its help topic in
// its constructor, so F1 in it shows its own page rather than its opener's. The classes are
// read from the sources, so a new window that names none fails here.
TEST(HelpKey, EveryWindowClassNamesItsTopic) {
    static const QRegularExpression windowClass(
        R"re(class\s+(\w+)\s*(?:final\s*)?:\s*public\s+(?:QDialog|QMainWindow)\b)re");
    QMap<QString, QString> sources;  // path -> text
    QDirIterator it(SourceTree() + "/src", {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        sources.insert(QDir(SourceTree()).relativeFilePath(path), ReadText(path));
    }
    QStringList classes;
    for (const QString& text : sources)
        for (const QRegularExpressionMatch& m : windowClass.globalMatch(text))
            classes.append(m.captured(1));
    ASSERT_GE(classes.size(), 30) << "the scan found too few window classes";
    for (const QString& name : classes) {
        // The constructor's body: from its definition (out of line, or inline in the class)
        // to the first line that closes a block at the definition's own indentation.
        const QRegularExpression definition(
            QString(
                R"re((?:^|\n)([ ]*)(?:explicit\s+)?(?:%1::)?%1\([^;]*?\)\s*(?::[^{;]*?)?\{\n)re")
                .arg(name));
        bool found = false;
        for (auto s = sources.cbegin(); s != sources.cend() && !found; ++s) {
            const QRegularExpressionMatch m = definition.match(s.value());
            if (!m.hasMatch()) continue;
            found = true;
            const qsizetype end = s.value().indexOf("\n" + m.captured(1) + "}", m.capturedEnd());
            const QString body = s.value().mid(m.capturedEnd(), end - m.capturedEnd());
            EXPECT_TRUE(body.contains("SetHelpTopic(this,"))
                << name.toStdString() << " (" << s.key().toStdString()
                << ") names no help topic in its constructor";
        }
        EXPECT_TRUE(found) << "no constructor found for " << name.toStdString();
    }
}

QTextBrowser* VisibleHelpBrowser() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "HelpWindow" && w->isVisible())
            return w->findChild<QTextBrowser*>("HelpBrowser");
    return nullptr;
}

// F1 is one handler for the whole application: it shows the topic of the nearest window that
// names one, so a message box or plain dialog opened from a window shows that window's topic.
TEST(HelpKey, F1ShowsTheNearestNamedTopic) {
    QDialog named;
    SetHelpTopic(&named, "phonebook");
    auto* field = new QLineEdit(&named);
    named.show();
    QDialog unnamedChild(&named);  // like a QMessageBox opened from the window
    auto* button = new QPushButton("OK", &unnamedChild);
    unnamedChild.show();
    QDialog orphan;
    orphan.show();
    const struct {
        QWidget* target;
        const char* fragment;
    } cases[] = {
        {field, "topic-phonebook"},
        {button, "topic-phonebook"},
        {&orphan, "topic-contents"},
    };
    for (const auto& c : cases) {
        if (QWidget* old = VisibleHelpBrowser()) old->window()->close();
        QTest::keyClick(c.target, Qt::Key_F1);
        QTextBrowser* browser = VisibleHelpBrowser();
        ASSERT_NE(browser, nullptr) << c.fragment;
        EXPECT_EQ(browser->source().fragment(), c.fragment);
    }
    // Other keys pass through untouched.
    QTest::keyClicks(field, "ab");
    EXPECT_EQ(field->text(), "ab");
}

}  // namespace
}  // namespace corvane
