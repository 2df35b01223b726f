// Persistent objects: the base of objects that can be copied into one another with Assign.
#pragma once

// Assign asks the source to copy itself into this object (AssignTo); a pair that does not know
// each other raises EConvertError "Cannot assign a <source> to a <destination>".
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual void Assign(const TPersistent* source);
    virtual void AssignTo(TPersistent& dest) const;
    virtual const char* ClassName() const { return "TPersistent"; }

protected:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
