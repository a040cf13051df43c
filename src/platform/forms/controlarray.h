#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace forms {

// Controls that share a name and are told apart by an index, as in
// cmdExam(0) to cmdExam(2). Each control's object name is "name(i)".
template <class T> class ControlArray {
public:
    explicit ControlArray(QString name) : name_(std::move(name)) {}

    T* add(int index, T* control) {
        if (index >= static_cast<int>(items_.size()))
            items_.resize(static_cast<size_t>(index) + 1, nullptr);
        control->setObjectName(QStringLiteral("%1(%2)").arg(name_).arg(index));
        items_[static_cast<size_t>(index)] = control;
        return control;
    }
    T* operator()(int index) const { return items_.at(static_cast<size_t>(index)); }
    int count() const { return static_cast<int>(items_.size()); }
    int UBound() const { return count() - 1; }
    const QString& name() const { return name_; }

private:
    QString name_;
    std::vector<T*> items_;
};

} // namespace forms
