#include "app/WindowBuilder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <map>
#include <stdexcept>
#include <string>

#include "app/Controls.h"

namespace varlo::app {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QColor kTooltipYellow(255, 255, 225);
const QColor kSilver(192, 192, 192);

QWidget* Placeholder(const ControlRow& row, QWidget& parent) {
    auto* frame = new QFrame(&parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (row.kind == ControlKind::Grid) frame->setFocusPolicy(Qt::StrongFocus);
    return frame;
}

QWidget* Make(const ControlRow& row, QWidget& parent, const ViewFactory& makeView) {
    const QString text = Text(row.text);
    switch (row.kind) {
        case ControlKind::Panel: {
            auto* panel = new CaptionPanel(&parent);
            panel->setText(text);
            return panel;
        }
        case ControlKind::ClickPanel: {
            auto* panel = new ClickPanel(&parent);
            panel->setText(text);
            return panel;
        }
        case ControlKind::Label:
            return new QLabel(text, &parent);
        case ControlKind::Edit:
            return new QLineEdit(text, &parent);
        case ControlKind::CheckBox: {
            auto* box = new CheckBox(text, &parent);
            box->setChecked(row.flags & kChecked);
            return box;
        }
        case ControlKind::ToggleButton:
        case ControlKind::CheckButton: {
            auto* button = new QPushButton(text, &parent);
            button->setCheckable(true);
            button->setChecked(row.flags & kChecked);
            return button;
        }
        case ControlKind::PushButton:
            return new QPushButton(text, &parent);
        case ControlKind::SpeedButton: {
            auto* button = new QToolButton(&parent);
            button->setText(text);
            button->setFocusPolicy(Qt::NoFocus);
            if (row.picture != Picture::None) {
                button->setIcon(PictureIcon(row.picture));
                const int side = std::min(row.bounds.width, row.bounds.height) - 6;
                button->setIconSize(QSize(side, side));
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            } else {
                button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            }
            return button;
        }
        case ControlKind::Image:
            return new PictureBox(row.picture, &parent);
        case ControlKind::Circle:
            return new CircleShape(&parent);
        case ControlKind::ListBox:
            return new QListWidget(&parent);
        case ControlKind::Memo: {
            auto* memo = new MemoBox(&parent);
            memo->setPlainText(text);
            return memo;
        }
        case ControlKind::ComboBox: {
            auto* box = new QComboBox(&parent);
            box->addItems(text.split(QLatin1Char('\n')));
            return box;
        }
        case ControlKind::Lcd:
        case ControlKind::Chart:
        case ControlKind::Grid:
            if (makeView) {
                if (QWidget* view = makeView(row, parent)) return view;
            }
            return Placeholder(row, parent);
    }
    throw std::logic_error("unknown control kind");
}

void Colour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

void ApplyLook(QWidget& widget, Look look) {
    switch (look) {
        case Look::Default:
            break;
        case Look::PortPanel: {
            widget.setFont(ArialFont(12, true));
            widget.setAutoFillBackground(true);
            Colour(widget, QPalette::Window, kSilver);
            // Disabled while the serial link is open: the port stays readable.
            QPalette palette = widget.palette();
            palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(96, 96, 96));
            widget.setPalette(palette);
            if (auto* panel = qobject_cast<QFrame*>(&widget)) panel->setFrameShadow(QFrame::Sunken);
            break;
        }
        case Look::LinkPanel:
            widget.setFont(ArialFont(12, true, true));
            widget.setAutoFillBackground(true);
            Colour(widget, QPalette::Window, Qt::blue);
            Colour(widget, QPalette::WindowText, Qt::yellow);
            break;
        case Look::ValueBox:
            widget.setFont(ArialFont(21, true));
            Colour(widget, QPalette::Base, kTooltipYellow);
            break;
        case Look::JudgeText: {
            QFont font = widget.font();
            font.setPixelSize(32);
            font.setBold(true);
            widget.setFont(font);
            if (auto* label = qobject_cast<QLabel*>(&widget)) label->setAlignment(Qt::AlignCenter);
            break;
        }
        case Look::YellowCircle:
            if (auto* circle = qobject_cast<CircleShape*>(&widget)) {
                circle->setBrushColor(kTooltipYellow);
            }
            break;
        case Look::PageNumber:
            Colour(widget, QPalette::ButtonText, Qt::blue);
            break;
        case Look::SilverEdit:
            Colour(widget, QPalette::Base, kSilver);
            break;
        case Look::LimitMark:
            widget.setAutoFillBackground(true);
            Colour(widget, QPalette::Window, Qt::red);
            Colour(widget, QPalette::WindowText, Qt::white);
            if (auto* label = qobject_cast<QLabel*>(&widget)) label->setAlignment(Qt::AlignCenter);
            break;
    }
}

}  // namespace

QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Nimbus Sans Narrow"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

QFont ArialFont(int pixelSize, bool bold, bool italic) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void SpaceCaptionAround(CheckBox& box, const QWidget& cover) {
    // The text after the blanks starts a little past the cover's right edge.
    box.SetTailLeft(cover.x() + cover.width() + 2 - box.x());
}

void BuildControls(QWidget& clientArea, std::span<const ControlRow> rows,
                   const ViewFactory& makeView) {
    std::map<std::string_view, QWidget*> containers;
    for (const ControlRow& row : rows) {
        QWidget* parent = &clientArea;
        if (!row.parent.empty()) {
            const auto found = containers.find(row.parent);
            if (found == containers.end()) {
                throw std::logic_error("container " + std::string(row.parent) + " comes after " +
                                       std::string(row.name));
            }
            parent = found->second;
        }
        QWidget* widget = Make(row, *parent, makeView);
        containers[row.name] = widget;
        widget->setObjectName(Text(row.name));
        widget->setGeometry(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
        if (!row.hint.empty()) widget->setToolTip(Text(row.hint));
        if (row.flags & kDisabled) widget->setEnabled(false);
        if (row.flags & kHidden) widget->setHidden(true);
        ApplyLook(*widget, row.look);
    }
}

void BuildMenus(QMenuBar& bar, std::span<const MenuRow> rows) {
    std::map<std::string_view, QMenu*> menus;
    for (const MenuRow& row : rows) {
        if (row.menu.empty()) {
            QMenu* menu = bar.addMenu(Text(row.caption));
            menu->setObjectName(Text(row.name));
            menu->menuAction()->setVisible(!(row.flags & kHidden));
            menus[row.name] = menu;
            continue;
        }
        const auto found = menus.find(row.menu);
        if (found == menus.end()) {
            throw std::logic_error("menu " + std::string(row.menu) + " comes after " +
                                   std::string(row.name));
        }
        QAction* item = row.caption == "-" ? found->second->addSeparator()
                                           : found->second->addAction(Text(row.caption));
        item->setObjectName(Text(row.name));
        item->setCheckable(row.flags & kCheckable);
        item->setChecked(row.flags & kChecked);
        item->setEnabled(!(row.flags & kDisabled));
        item->setVisible(!(row.flags & kHidden));
    }
}

}  // namespace varlo::app
