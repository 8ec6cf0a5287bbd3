#pragma once

#include "KZDetailWindowController.h"

class KZDetailTableModel;
class QTableView;

// The attributes window: a drive's S.M.A.R.T. attribute table, failing rows
// in red. It only reads the drive.
class KZAttributesController : public KZDetailWindowController
{
    Q_OBJECT

public:
    explicit KZAttributesController(QWidget *parent = nullptr);

    void updateWindow() override;

    KZDetailTableModel *attributesModel() const { return m_model; }
    QTableView *attributesList() const { return m_attributesList; }

private:
    KZDetailTableModel *m_model;
    QTableView *m_attributesList;
};
