#include "covers/designer/object_menu.h"

#include <QActionGroup>
#include <QMenu>

#include "core/message_boxes.h"
#include "covers/design_page.h"
#include "covers/designer/object_dialogs.h"

namespace corvane {

namespace {

constexpr int kMaxLineThickness = 10;
constexpr int kRoundings[] = {20, 30, 40, 50, 60, 70, 80};

void Report(const Status& s) {
    if (!s.ok()) ShowInformation(s.message());
}

// A check item in an exclusive group.
QAction* Choice(QMenu* menu, QActionGroup* group, const QString& text, bool checked) {
    QAction* a = menu->addAction(text);
    a->setCheckable(true);
    a->setChecked(checked);
    group->addAction(a);
    return a;
}

void AddThicknessMenu(QMenu& menu, int width, const std::function<void(int)>& set) {
    QMenu* sub = menu.addMenu("Line Thickness");
    auto* group = new QActionGroup(sub);
    for (int n = 1; n <= kMaxLineThickness; ++n)
        QObject::connect(Choice(sub, group, QStringLiteral("%1 Point").arg(n), width == n),
                         &QAction::triggered, [set, n] { set(n); });
}

void AddTextClassItems(QMenu& menu, const ObjectMenuContext& c, TFaxCoverBaseLabel* label,
                       const std::function<void()>& changed) {
    const bool symbol = dynamic_cast<TFaxCoverSymbol*>(label) != nullptr;
    if (!symbol) {
        menu.addSeparator();
        QObject::connect(menu.addAction("Font"), &QAction::triggered, [=] {
            if (auto font = ChooseCoverFont(c.parent, label->Font(), true)) {
                label->SetFont(*font);
                if (!dynamic_cast<TFaxCoverMessage*>(label)) label->GrowToCaption();
                changed();
            }
        });
    }
    if (auto* plain = dynamic_cast<TFaxCoverLabel*>(label)) {
        QAction* text = menu.addAction("Text");
        text->setData(1000);
        QObject::connect(text, &QAction::triggered, [=] {
            if (EditLabelText(c.parent, *plain)) changed();
        });
    }
    if (auto* s = dynamic_cast<TFaxCoverSymbol*>(label)) {
        QObject::connect(menu.addAction("Symbol Selector"), &QAction::triggered, [=] {
            if (ChooseSymbol(c.parent, *s)) changed();
        });
    }
    if (auto* field = dynamic_cast<TFaxCoverField*>(label)) {
        QMenu* sub = menu.addMenu("Field");
        auto* group = new QActionGroup(sub);
        for (int i = 0; i < int(kCoverFieldMenuCaptions.size()); ++i) {
            const auto type = static_cast<TCoverFieldType>(i);
            QObject::connect(Choice(sub, group, QLatin1String(kCoverFieldMenuCaptions[i]),
                                    field->CoverFieldType() == type),
                             &QAction::triggered, [=] {
                                 field->ChooseField(type);
                                 changed();
                             });
        }
    }
}

void AddShapeItems(QMenu& menu, TFaxCoverShapes* shape, const std::function<void()>& changed) {
    menu.addSeparator();
    AddThicknessMenu(menu, shape->Pen().width, [=](int n) {
        CoverPen pen = shape->Pen();
        pen.width = n;
        shape->SetPen(pen);
        changed();
    });
    menu.addSeparator();
    auto* fills = new QActionGroup(&menu);
    const std::pair<const char*, TShapeFillType> fillItems[] = {{"Transparent", sftTransparent},
                                                                {"Filled - White", sftFilledWhite},
                                                                {"Filled - Black", sftFilledBlack}};
    for (const auto& [text, fill] : fillItems)
        QObject::connect(Choice(&menu, fills, text, shape->ShapeFilltype() == fill),
                         &QAction::triggered, [=] {
                             shape->SetShapeFilltype(fill);
                             changed();
                         });
    if (shape->Shape() == stRoundRect || shape->Shape() == stRoundSquare) {
        menu.addSeparator();
        QMenu* sub = menu.addMenu("Degree of Rounding");
        auto* group = new QActionGroup(sub);
        for (int perc : kRoundings)
            QObject::connect(
                Choice(sub, group, QStringLiteral("%1 %").arg(perc), shape->RoundPerc() == perc),
                &QAction::triggered, [=] {
                    shape->SetRoundPerc(perc);
                    changed();
                });
    }
}

void AddLineItems(QMenu& menu, const ObjectMenuContext& c, TFaxCoverLine* line,
                  const std::function<void()>& changed) {
    menu.addSeparator();
    QMenu* style = menu.addMenu("Style");
    auto* group = new QActionGroup(style);
    const std::pair<const char*, TLineStyle> styles[] = {
        {"Horizontal", stHorizontal},
        {"Vertical", stVertical},
        {"Angled Sloping Up", stAngleSlopingUp},
        {"Angled Sloping Down", stAngleSlopingDown}};
    for (const auto& [text, s] : styles)
        QObject::connect(Choice(style, group, text, line->LineStyle() == s), &QAction::triggered,
                         [=] {
                             line->SetLineStyle(s);
                             changed();
                         });
    AddThicknessMenu(menu, line->Pen().width, [=](int n) {
        CoverPen pen = line->Pen();
        pen.width = n;
        line->SetPen(pen);
        changed();
    });
    menu.addSeparator();
    QObject::connect(menu.addAction("Stretch To Edges"), &QAction::triggered, [=] {
        line->StretchToEdges(c.page->size().width(), c.page->size().height());
        changed();
    });
}

QAction* Check(QMenu& menu, const QString& text, bool checked) {
    QAction* a = menu.addAction(text);
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

void AddImageItems(QMenu& menu, const ObjectMenuContext& c, TFaxImage* image,
                   const std::function<void()>& changed) {
    menu.addSeparator();
    QObject::connect(menu.addAction("Load Image From Disk"), &QAction::triggered, [=] {
        QString folder = c.imageFolder ? *c.imageFolder : QString();
        if (LoadImageFromDisk(c.parent, *image, folder)) {
            if (c.imageFolder) *c.imageFolder = folder;
            changed();
        }
    });
    menu.addSeparator();
    QObject::connect(Check(menu, "Border", image->BorderStyle() == bsSingle), &QAction::toggled,
                     [=](bool on) {
                         image->SetBorderStyle(on ? bsSingle : bsNone);
                         changed();
                     });
    QObject::connect(Check(menu, "Stretch to Fit", image->Stretch()), &QAction::toggled,
                     [=](bool on) {
                         image->SetStretch(on);
                         changed();
                     });
    QObject::connect(Check(menu, "AutoSize", image->AutoSize()), &QAction::toggled, [=](bool on) {
        image->SetAutoSize(on);
        changed();
    });
    const bool hasPicture = !image->Picture().isNull();
    QAction* flip = Check(menu, "Flip", image->Flip());
    flip->setEnabled(hasPicture);
    QObject::connect(flip, &QAction::toggled, [=](bool on) {
        image->SetFlip(on);
        changed();
    });
    QAction* reverse = Check(menu, "Reverse", image->Reverse());
    reverse->setEnabled(hasPicture);
    QObject::connect(reverse, &QAction::toggled, [=](bool on) {
        image->SetReverse(on);
        changed();
    });
}

void AddMultiLineItems(QMenu& menu, const ObjectMenuContext& c, TFaxMultiLineBaseLabel* text,
                       const std::function<void()>& changed) {
    menu.addSeparator();
    QObject::connect(menu.addAction("Font"), &QAction::triggered, [=] {
        if (auto font = ChooseCoverFont(c.parent, text->Font(), false)) {
            text->AssignFont(*font);
            changed();
        }
    });
    QMenu* align = menu.addMenu("Alignment");
    auto* group = new QActionGroup(align);
    const std::pair<const char*, TAlignment> items[] = {
        {"Left", taLeftJustify}, {"Center", taCenter}, {"Right", taRightJustify}};
    for (const auto& [caption, a] : items)
        QObject::connect(Choice(align, group, caption, text->Alignment() == a), &QAction::triggered,
                         [=] {
                             text->SetAlignment(a);
                             changed();
                         });
    menu.addSeparator();
    QObject::connect(menu.addAction("Text"), &QAction::triggered, [=] {
        if (EditMultiLineText(c.parent, *text)) changed();
    });
    QObject::connect(Check(menu, "Word Wrap", text->WordWrap()), &QAction::toggled, [=](bool on) {
        text->SetWordWrap(on);
        changed();
    });
}

}  // namespace

void ShowObjectMenu(const ObjectMenuContext& c, TFaxGraphicControl* o, const QPoint& globalPos) {
    DesignPage* page = c.page;
    // Every command tells the page the template changed, which marks "changes made".
    auto changed = [c] {
        if (c.page->onChange) c.page->onChange();
        if (c.refresh) c.refresh();
    };
    auto done = [c] {
        if (c.refresh) c.refresh();
    };
    QMenu menu(c.parent);
    menu.setObjectName("ObjectMenu");
    QObject::connect(menu.addAction("Bring To Front"), &QAction::triggered, [=] {
        page->bringToFront(page->targets(o));
        done();
    });
    QObject::connect(menu.addAction("Send To Back"), &QAction::triggered, [=] {
        page->sendToBack(page->targets(o));
        done();
    });
    QObject::connect(menu.addAction("Cut"), &QAction::triggered, [=] {
        Report(page->cut(page->targets(o)));
        done();
    });
    QObject::connect(menu.addAction("Copy"), &QAction::triggered,
                     [=] { Report(page->copy(page->targets(o))); });
    QObject::connect(menu.addAction("Delete"), &QAction::triggered, [=] {
        page->deleteObjects(page->targets(o));
        done();
    });
    QObject::connect(menu.addAction("Clone"), &QAction::triggered, [=] {
        page->clone(o);
        done();
    });
    menu.addSeparator();
    QObject::connect(Check(menu, "Locked", o->Locked()), &QAction::toggled, [=](bool on) {
        o->SetLocked(on);
        changed();
    });
    QObject::connect(menu.addAction("Unselectable"), &QAction::triggered, [=] {
        page->makeUnselectable(o);
        done();
    });
    menu.addSeparator();
    QObject::connect(menu.addAction("Center Vertically"), &QAction::triggered, [=] {
        page->centerVertically({o});
        done();
    });
    QObject::connect(menu.addAction("Center Horizontally"), &QAction::triggered, [=] {
        page->centerHorizontally({o});
        done();
    });

    if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o))
        AddTextClassItems(menu, c, label, changed);
    else if (auto* shape = dynamic_cast<TFaxCoverShapes*>(o))
        AddShapeItems(menu, shape, changed);
    else if (auto* line = dynamic_cast<TFaxCoverLine*>(o))
        AddLineItems(menu, c, line, changed);
    else if (auto* image = dynamic_cast<TFaxImage*>(o))
        AddImageItems(menu, c, image, changed);
    else if (auto* multi = dynamic_cast<TFaxMultiLineBaseLabel*>(o))
        AddMultiLineItems(menu, c, multi, changed);
    menu.exec(globalPos);
}

}  // namespace corvane
