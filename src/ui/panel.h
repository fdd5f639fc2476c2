#pragma once

#include <QColor>
#include <QWidget>

// A framed area of the window: a solid fill, optionally an etched line with a caption set into
// its top edge. QGroupBox cannot put its title into the line nor fill above it.
class Panel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor fill READ fill WRITE setFill)
    Q_PROPERTY(bool etched READ etched WRITE setEtched)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    explicit Panel(QWidget* parent = nullptr);

    QColor fill() const { return fillColour; }
    void setFill(const QColor& colour);
    bool etched() const { return hasLine; }
    void setEtched(bool on);
    const QString& caption() const { return captionText; }
    void setCaption(const QString& text);
    // Where the caption is drawn, for checking that it fits.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fillColour = Qt::lightGray;
    bool hasLine = false;
    QString captionText;
};
