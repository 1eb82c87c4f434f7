// Anchor of the tovra_diagnosis library; the subsystem's units sit beside it.
namespace tovra { int module_diagnosis_anchor = 0; }
