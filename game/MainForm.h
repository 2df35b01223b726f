// The main window of the game: the board, its panel and the game's state.
#pragma once

#include <QWidget>

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FShown = false;
};

extern TForm1* Form1;
