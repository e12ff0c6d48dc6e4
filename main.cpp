#include "form1.h"
#include "runtime.h"

int main(int argc, char* argv[])
{
    Runtime::FormsApplication app(argc, argv);
    Form1 form;
    form.show();
    return app.exec();
}
