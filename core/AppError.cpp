#include "core/AppError.h"

AppError::AppError(QString description, int number)
    : m_description(std::move(description)), m_number(number), m_utf8(m_description.toStdString()) {
}
