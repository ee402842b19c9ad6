// The five functions placed in every effect's plug-in record. Each fetches the effect from the
// record's object field and calls the matching virtual operation. None lets a C++ exception
// reach the host: a failure answers 0 (dispatcher), zeroed outputs (processing) or 0.0
// (getParameter).
#pragma once

#include "host/vst24.h"

namespace RecordTrampolines
{

// effClose calls the effect's dispatcher, destroys the effect and answers 1. [any]
VstIntPtr VSTCALLBACK dispatcher(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt);
// [audio]
void VSTCALLBACK process(AEffect* record, float** inputs, float** outputs, VstInt32 sampleFrames);
void VSTCALLBACK processReplacing(AEffect* record, float** inputs, float** outputs,
                                  VstInt32 sampleFrames);
void VSTCALLBACK processDoubleReplacing(AEffect* record, double** inputs, double** outputs,
                                        VstInt32 sampleFrames);
// Indices outside the parameter count and non-finite values are refused. [any]
void VSTCALLBACK setParameter(AEffect* record, VstInt32 index, float value);
float VSTCALLBACK getParameter(AEffect* record, VstInt32 index);

} // namespace RecordTrampolines
