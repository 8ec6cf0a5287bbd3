#pragma once

#include "KZDetailWindowController.h"

class KZDetailTableModel;
class QLabel;
class QTableView;

// The errors window: the most recent entries of a drive's error log. It
// only reads the drive.
class KZErrorsController : public KZDetailWindowController
{
    Q_OBJECT

public:
    explicit KZErrorsController(QWidget *parent = nullptr);

    void updateWindow() override;

    KZDetailTableModel *errorsModel() const { return m_model; }
    QTableView *errorList() const { return m_errorList; }

private:
    KZDetailTableModel *m_model;
    QTableView *m_errorList;
    QLabel *m_count;
};
