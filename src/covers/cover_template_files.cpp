#include "covers/cover_template_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "core/app_folders.h"
#include "core/windows1252.h"
#include "covers/cover_generator.h"
#include "covers/design_stream.h"
#include "covers/render_file.h"
#include "covers/template_file_io.h"

namespace corvane {

namespace {

constexpr int kMaxComponentNumber = 1000;

void NameComponents(CoverObjectList& objects) {
    QStringList taken;
    for (auto& o : objects) {
        for (int n = 0; n <= kMaxComponentNumber; ++n) {
            const QString candidate = QStringLiteral("Component%1").arg(n);
            if (!taken.contains(candidate)) {
                o->SetName(candidate);
                taken << candidate;
                break;
            }
        }
    }
}

}  // namespace

Status SaveTemplate(const QString& designPath, CoverObjectList& objects,
                    const QString& description) {
    std::erase_if(objects, [](const std::unique_ptr<TFaxGraphicControl>& o) {
        // Judged at the page's current zoom, as the user sees the page.
        const float z = o->Zoom();
        return o->Top() > kDesignPageHeight * z - 10 || o->Left() > kDesignPageWidth * z - 10 ||
               o->Width() < 1 || o->Height() < 1;
    });
    std::vector<float> zooms;
    for (auto& o : objects) {
        zooms.push_back(o->Zoom());
        o->SetZoom(1.0f);
    }
    const QByteArray design = EncodeDesignStream(objects);
    const QByteArray render = EncodeRenderFile(objects);
    for (size_t i = 0; i < objects.size(); ++i) objects[i]->SetZoom(zooms[i]);

    if (Status s = WriteFileReplacing(designPath, design); !s.ok()) return s;
    const QString renderPath = CompanionPath(designPath, QStringLiteral(".FCT"));
    if (Status s = WriteFileReplacing(renderPath, render); !s.ok()) return s;
    CoverGenerator generator;
    if (Status s = generator.RenderPreview(renderPath); !s.ok()) return s;
    return WriteFileReplacing(CompanionPath(designPath, QStringLiteral(".DES")),
                              QByteArray::fromStdString(ToWindows1252(description)) + "\r\n");
}

Result<CoverObjectList> LoadTemplate(const QString& designPath) {
    const QString failure =
        QStringLiteral("Unable to open %1. Possibly corrupted, possibly not a Corvane file")
            .arg(designPath);
    Result<QByteArray> bytes = ReadTemplateFile(designPath);
    if (!bytes.ok()) return Status::Error(failure + QStringLiteral(" (") + bytes.message() + ')');
    Result<CoverObjectList> objects = DecodeDesignStream(bytes.value());
    if (!objects.ok())
        return Status::Error(failure + QStringLiteral(" (") + objects.message() + ')');
    CoverObjectList list = std::move(objects).value();
    NameComponents(list);
    for (auto& o : list) {
        if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o.get())) label->GrowToCaption();
    }
    return list;
}

QString ReadDescription(const QString& templatePath) {
    QFile file(CompanionPath(templatePath, QStringLiteral(".DES")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return FromWindows1252(line);
}

Status DeleteTemplate(const QString& designPath) {
    if (QFileInfo(designPath).suffix().compare(QLatin1String("FCS"), Qt::CaseInsensitive) != 0)
        return Status::Error(QStringLiteral("Must be a FCS (Fax Cover Template) file"));
    for (const char* ext : {".FCS", ".FCT", ".DES", ".BMP"})
        QFile::remove(CompanionPath(designPath, QLatin1String(ext)));  // failures are ignored
    return Status::Ok();
}

QString ProposeTemplateName(const QString& folder) {
    // Digits 2 to 5 of 10001 .. 99999: QX0001 .. QX9999, QX0000, then the same again; one
    // round of ten thousand names decides.
    for (int n = 10001; n <= 20000; ++n) {
        const QString name = QStringLiteral("QX%1.FCS").arg(QString::number(n).mid(1));
        if (!QFileInfo::exists(ResolveName(WithTrailingSlash(folder), name))) return name;
    }
    return {};
}

QString RenderFileNameFor(const QString& name) {
    if (name.isEmpty() || name.endsWith(QLatin1Char('t'), Qt::CaseInsensitive)) return name;
    return ReplaceExtension(name, QStringLiteral(".fct"));
}

std::vector<TemplateEntry> ListTemplates(const QString& folder) {
    std::vector<TemplateEntry> entries;
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    for (const QString& name : names) {
        if (!name.endsWith(QLatin1String(".FCS"), Qt::CaseInsensitive)) continue;
        const QString path = dir.filePath(name);
        entries.push_back({path, ReadDescription(path)});
    }
    return entries;
}

}  // namespace corvane
