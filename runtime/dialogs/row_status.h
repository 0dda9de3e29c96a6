// What a row of a report or list tells at a glance: its small status icon.
#pragma once

namespace rt {

enum class RowStatus { Converted, Failed, Refused, NotConverted, Running };

}  // namespace rt
