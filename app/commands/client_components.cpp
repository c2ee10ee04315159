#include "app/commands/client_components.h"

namespace app {

ClientComponents::ClientComponents() {
  for (uniaccess::TUniSQLDatabase* database : {&DB1, &DB2}) {
    database->SetUser("root");
    database->SetHost("más");
    database->SetPort("3306");
  }
  DB1.SetDatabasename("mysql");
  Q1.SetDatabase(&DB1);
  DS1.SetDataSet(&Q1);
  Q2.SetDatabase(&DB2);
  T2.SetDatabase(&DB2);
  DS2.SetDataSet(&T2);
}

void ClientComponents::CloseAll() {
  // Datasets first: they borrow the connections' handles.
  Q1.Close();
  Q2.Close();
  T2.Close();
  DB1.Disconnect();
  DB2.Disconnect();
}

}  // namespace app
