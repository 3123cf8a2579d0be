#include "platform/ui/StatusBar.h"

#include "platform/ui/Twips.h"

#include <QLabel>

StatusBar::StatusBar(int panels, QWidget *parent) : QStatusBar(parent)
{
    for (int panel = 1; panel <= std::max(panels, 1); ++panel) {
        auto *label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setMinimumWidth(Twips::toPixels(1440));
        addPermanentWidget(label, panel == 1 ? 1 : 0);
        m_panels.append(label);
    }
}

int StatusBar::panelCount() const
{
    return static_cast<int>(m_panels.size());
}

QLabel *StatusBar::label(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1] : nullptr;
}

QString StatusBar::panelText(int panel) const
{
    const QLabel *panelLabel = label(panel);
    return panelLabel ? panelLabel->text() : QString();
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    if (QLabel *panelLabel = label(panel))
        panelLabel->setText(text);
}

void StatusBar::setPanelWidth(int panel, int twips)
{
    if (QLabel *panelLabel = label(panel))
        panelLabel->setMinimumWidth(Twips::toPixels(twips));
}
