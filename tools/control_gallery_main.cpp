// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-control-gallery [--screenshot FILE]: every control of ours in every state.
#include "widgets/PMProgressIndicator.h"
#include "widgets/PMProgressIndicatorController.h"
#include "widgets/SMDoubleSlider.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKThreePartImageView.h"
#include "widgets/TKVideoBackgroundImageView.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QWidget* caption(const QString& text) {
    auto* label = new QLabel(text);
    label->setStyleSheet(QStringLiteral("color: #9aa0a8; font-size: 10px;"));
    return label;
}

// One row per button: normal, hover, pressed, disabled.
QWidget* buttons() {
    auto* box = new QGroupBox(QStringLiteral("TKImageButton: normal, hover, pressed, disabled"));
    auto* grid = new QGridLayout(box);
    const QStringList names = {"play", "pause", "jump_back",  "jump_forward", "slower", "faster",
                               "size", "audio", "fullscreen", "capture",      "print"};
    for (int i = 0; i < names.size(); ++i) {
        for (int state = 0; state < 4; ++state) {
            auto* b = new TKImageButton(box);
            b->setImageName(QStringLiteral("icon_%1_n").arg(names[i]));
            b->setFixedSize(32, 32);
            if (state == 1)
                b->mouseEntered();
            if (state == 2)
                b->setDown(true);
            if (state == 3)
                b->setEnabled(false);
            grid->addWidget(b, state, i);
        }
    }
    int column = 0;
    for (const char* side : {"record_n", "information_n"}) {
        for (const bool pressed : {false, true}) {
            auto* b = new TKImageButton(box);
            b->setImageName(QLatin1String(side));
            b->setFixedSize(40, 28);
            b->setDown(pressed);
            grid->addWidget(b, 4, column, 1, 2);
            column += 2;
        }
    }
    return box;
}

QWidget* carIcons() {
    auto* box = new QGroupBox(QStringLiteral("Kind icons"));
    auto* row = new QHBoxLayout(box);
    for (const char* side : {"front", "rear"}) {
        for (const char* kind : {"alwa", "motion", "event"}) {
            auto* label = new QLabel;
            label->setPixmap(TKImageNamed(
                QStringLiteral("car_%1_%2").arg(QLatin1String(side), QLatin1String(kind))));
            label->setToolTip(
                QStringLiteral("%1 %2").arg(QLatin1String(side), QLatin1String(kind)));
            row->addWidget(label);
            row->addWidget(
                caption(QStringLiteral("%1 %2").arg(QLatin1String(side), QLatin1String(kind))));
        }
    }
    return box;
}

QWidget* backgrounds() {
    auto* box = new QGroupBox(QStringLiteral("Video backgrounds, bars and boxes"));
    auto* grid = new QGridLayout(box);
    const struct {
        const char* base;
        const char* logo;
    } views[] = {{"v1", "v1_front_logo"}, {"v2", "v2_rear_logo"}, {"v1", nullptr}};
    for (int i = 0; i < 3; ++i) {
        auto* v = new TKVideoBackgroundImageView;
        v->setBackgroundNineImageName(QLatin1String(views[i].base));
        if (views[i].logo)
            v->setLogoImage(TKImageNamed(QLatin1String(views[i].logo)));
        v->setFixedSize(170, 96);
        grid->addWidget(v, 0, i);
    }
    auto* bar = new TKThreePartImageView;
    bar->setImagesLeft(TKImageNamed("bg_bt_info_left"), TKImageNamed("bottom-background"),
                       TKImageNamed("bg_bt_info_right"));
    bar->setFixedHeight(48);
    grid->addWidget(bar, 1, 0, 1, 2);
    auto* bezels = new QLabel;
    QPixmap pm(210, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    TKDrawImageButtonCellBezel(p, QRect(0, 0, 64, 24), true, false);
    TKDrawImageButtonCellBezel(p, QRect(72, 0, 64, 24), false, false);
    TKDrawImageButtonCellBezel(p, QRect(144, 0, 64, 24), false, true);
    p.end();
    bezels->setPixmap(pm);
    bezels->setToolTip(QStringLiteral("button cell: on, off, pressed"));
    grid->addWidget(bezels, 1, 2);
    auto* colour = new TKColorBackgroundView;
    colour->setBackgroundColor(QColor(0x3b, 0xc4, 0xb8));
    colour->setFixedHeight(24);
    grid->addWidget(colour, 2, 0);
    grid->addWidget(new TKColorBackgroundView, 2, 1);
    auto* custom = new CustomBackgroundBox;
    custom->setFixedHeight(24);
    grid->addWidget(custom, 2, 2);
    return box;
}

QWidget* sliders() {
    auto* box = new QGroupBox(QStringLiteral("SMDoubleSlider and EcoSliderAxisView"));
    auto* grid = new QGridLayout(box);
    const struct {
        const char* text;
        double lo, hi;
        bool locked;
    } cases[] = {{"20 to 70", 20, 70, false},
                 {"both at 0", 0, 0, false},
                 {"both at 50", 50, 50, false},
                 {"locked at 70", 20, 70, true}};
    for (int i = 0; i < 4; ++i) {
        auto* s = new SMDoubleSlider;
        s->setDoubleHiValue(cases[i].hi);
        s->setDoubleLoValue(cases[i].lo);
        s->setLockedSliders(cases[i].locked);
        auto* value = new QLabel;
        const auto show = [s, value] {
            value->setText(QString::asprintf("%g - %g", s->doubleLoValue(), s->doubleHiValue()));
        };
        QObject::connect(s, &SMDoubleSlider::loValueChanged, value, show);
        QObject::connect(s, &SMDoubleSlider::hiValueChanged, value, show);
        show();
        grid->addWidget(caption(QLatin1String(cases[i].text)), i * 2, 0);
        grid->addWidget(s, i * 2, 1);
        grid->addWidget(value, i * 2, 2);
        auto* axis = new EcoSliderAxisView;
        axis->setFixedHeight(12);
        grid->addWidget(axis, i * 2 + 1, 1);
    }
    return box;
}

QWidget* progress() {
    auto* box = new QGroupBox(QStringLiteral("PMProgressIndicator"));
    auto* grid = new QGridLayout(box);
    auto* determinate = new PMProgressIndicator;
    auto* text = new QLabel;
    determinate->setProgressText(text);
    determinate->setDisplayPercentage(true);
    double clock = 0;
    determinate->setClock([&clock] { return clock; });
    determinate->setDoubleValue(30);
    clock = 2;
    determinate->setDoubleValue(42); // 12 % in 2 s: about ten seconds short of a minute
    determinate->setClock({});
    auto* indeterminate = new PMProgressIndicator;
    indeterminate->setIndeterminate(true);
    grid->addWidget(determinate, 0, 0);
    grid->addWidget(text, 0, 1);
    grid->addWidget(indeterminate, 1, 0);
    auto* icon = new QLabel;
    icon->setPixmap(QPixmap::fromImage(
        PMProgressIndicatorController::sharedInstance()->drawProgressIndicators()));
    grid->addWidget(caption(QStringLiteral("application icon with the bar")), 1, 1);
    grid->addWidget(icon, 0, 2, 2, 1);
    return box;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPixmap appIcon(128, 128);
    appIcon.fill(QColor(0x2b, 0x2d, 0x31));
    QApplication::setWindowIcon(QIcon(appIcon));
    QWidget window;
    window.setWindowTitle(QStringLiteral("RUVEX Viewer controls"));
    // The platform's style with a dark palette, as the program will look in a dark desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x1f, 0x21, 0x24));
    dark.setColor(QPalette::WindowText, QColor(0xd8, 0xdb, 0xe0));
    dark.setColor(QPalette::Base, QColor(0x2b, 0x2d, 0x31));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3d, 0x43));
    dark.setColor(QPalette::ButtonText, QColor(0xd8, 0xdb, 0xe0));
    dark.setColor(QPalette::Text, QColor(0xd8, 0xdb, 0xe0));
    dark.setColor(QPalette::Highlight, QColor(0xf2, 0xa9, 0x3b));
    QApplication::setPalette(dark);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(buttons());
    layout->addWidget(carIcons());
    layout->addWidget(backgrounds());
    layout->addWidget(sliders());
    layout->addWidget(progress());
    window.show();
    const int at = app.arguments().indexOf(QStringLiteral("--screenshot"));
    if (at > 0 && at + 1 < app.arguments().size()) {
        const QString file = app.arguments()[at + 1];
        QTimer::singleShot(300, &window, [&window, file] {
            const bool saved = window.grab().save(file);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
