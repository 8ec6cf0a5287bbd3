#pragma once

#include <QMainWindow>

class QVBoxLayout;

// The main window: menus, the title with the time of the last update, the
// status icon, and a central area for the drive outline and summary. Its
// position and size are remembered under "TWMainWindow"; closing it quits.
class KZMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit KZMainWindow(QWidget *parent = nullptr);

    QWidget *driveArea() const { return m_driveArea; }
    // Restores the remembered geometry (a sensible size the first time).
    void restoreRememberedGeometry();
    void rememberGeometry() const;

Q_SIGNALS:
    // The window has been painted for the first time.
    void firstPainted();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QWidget *m_driveArea = nullptr;
    bool m_painted = false;
};
