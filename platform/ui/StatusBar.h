#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;

// A status bar of numbered text panels (1 … n). Panel 1 stretches; the others keep
// their widths.
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusBar(int panels = 1, QWidget *parent = nullptr);

    int panelCount() const;
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    void setPanelWidth(int panel, int twips);

private:
    QLabel *label(int panel) const;

    QList<QLabel *> m_panels;
};
